#include "platform/runtime/MemoryBudget.h"

#include <atomic>

#include "platform/runtime/Exceptions.h"

namespace vardel {

namespace {
std::atomic<uint64_t> inUse{0};
std::atomic<uint64_t> budget{kPictureMemoryBudget};

bool Fits(uint64_t used, uint64_t bytes) {
    const uint64_t limit = budget.load(std::memory_order_relaxed);
    return used <= limit && bytes <= limit - used;
}

bool Take(uint64_t bytes) {
    uint64_t used = inUse.load(std::memory_order_relaxed);
    do {
        if (!Fits(used, bytes)) return false;
    } while (!inUse.compare_exchange_weak(used, used + bytes, std::memory_order_relaxed));
    return true;
}
}  // namespace

TMemoryCharge::TMemoryCharge(uint64_t bytes) {
    if (!Take(bytes)) throw EOutOfMemory(msg::kOutOfMemory);
    bytes_ = bytes;
}

TMemoryCharge TMemoryCharge::TryCharge(uint64_t bytes) noexcept {
    TMemoryCharge charge;
    if (Take(bytes)) charge.bytes_ = bytes;
    return charge;
}

TMemoryCharge::TMemoryCharge(TMemoryCharge&& other) noexcept : bytes_(other.bytes_) {
    other.bytes_ = 0;
}

TMemoryCharge& TMemoryCharge::operator=(TMemoryCharge&& other) noexcept {
    if (this != &other) {
        Release();
        bytes_ = other.bytes_;
        other.bytes_ = 0;
    }
    return *this;
}

TMemoryCharge::~TMemoryCharge() {
    Release();
}

void TMemoryCharge::Release() noexcept {
    inUse.fetch_sub(bytes_, std::memory_order_relaxed);
    bytes_ = 0;
}

uint64_t PictureMemoryInUse() {
    return inUse.load();
}

uint64_t PictureMemoryBudget() {
    return budget.load();
}

void CheckPictureAllocation(uint64_t bytes) {
    if (bytes > kMaxPictureBytes || !Fits(inUse.load(std::memory_order_relaxed), bytes))
        throw EOutOfMemory(msg::kOutOfMemory);
}

TPictureMemoryBudgetScope::TPictureMemoryBudgetScope(uint64_t bytes)
    : previous_(budget.exchange(bytes)) {}

TPictureMemoryBudgetScope::~TPictureMemoryBudgetScope() {
    budget.store(previous_);
}

}  // namespace vardel
