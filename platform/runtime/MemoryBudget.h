// One budget for the memory that pictures hold at once: the pixels of every bitmap,
// mask and composite, and the buffers of the decoders. A file of a few bytes can
// declare gigabytes; counting everything large against one budget keeps any load,
// drawing or save of the program below 1.5 GiB, whatever the file says. Whoever
// allocates such memory holds a charge for it for as long as the memory lives.
#pragma once

#include <cstdint>

namespace vardel {

// What pictures may hold at once, leaving room below 1.5 GiB for the program itself,
// and what a single picture may take of it.
inline constexpr uint64_t kPictureMemoryBudget = uint64_t{1280} << 20;
inline constexpr uint64_t kMaxPictureBytes = uint64_t{1} << 30;

// Raises EOutOfMemory "Out of memory" when a buffer of `bytes` would pass the limit
// for one picture or what is left of the budget now, so that hostile headers are
// refused before anything that large is allocated.
void CheckPictureAllocation(uint64_t bytes);

class TMemoryCharge {
  public:
    TMemoryCharge() = default;
    // Charges `bytes`, or raises EOutOfMemory "Out of memory" (charging nothing) when
    // they would pass what is left of the budget.
    explicit TMemoryCharge(uint64_t bytes);
    // Charges `bytes` when they fit; an empty charge otherwise.
    static TMemoryCharge TryCharge(uint64_t bytes) noexcept;
    TMemoryCharge(TMemoryCharge&& other) noexcept;
    TMemoryCharge& operator=(TMemoryCharge&& other) noexcept;
    TMemoryCharge(const TMemoryCharge&) = delete;
    TMemoryCharge& operator=(const TMemoryCharge&) = delete;
    ~TMemoryCharge();

    uint64_t Bytes() const { return bytes_; }
    // Gives the charge back before the charge itself goes.
    void Release() noexcept;

  private:
    uint64_t bytes_ = 0;
};

// Bytes charged now, and the budget they are charged against.
uint64_t PictureMemoryInUse();
uint64_t PictureMemoryBudget();

// A smaller (or larger) budget while it lives, for tests.
class TPictureMemoryBudgetScope {
  public:
    explicit TPictureMemoryBudgetScope(uint64_t budget);
    ~TPictureMemoryBudgetScope();
    TPictureMemoryBudgetScope(const TPictureMemoryBudgetScope&) = delete;
    TPictureMemoryBudgetScope& operator=(const TPictureMemoryBudgetScope&) = delete;

  private:
    uint64_t previous_;
};

}  // namespace vardel
