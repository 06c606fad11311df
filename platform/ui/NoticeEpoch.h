// The epoch of change notices. A notice of changed pixels that finds everything it
// would do already done (the view's repaint requested and still pending, its size
// right, the bitmap's mask outdated and its modified flag set) changes nothing while
// the epoch stays the same; the epoch moves on with every event that could make the
// next notice do something again: a window paints, a control moves, is resized, shown,
// hidden or given another parent, a change subscriber or hook is replaced, a graphic
// changes in more than its pixels (a bitmap that shares another's image, for one), a
// bitmap replaces its image, builds its mask or is marked unmodified. One counter for
// the whole program: moving it on costs a redundant notice one full pass, never loses
// one.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace vardel {

namespace detail {
inline std::atomic<uint64_t> noticeEpoch{1};
}  // namespace detail

inline uint64_t NoticeEpoch() {
    return detail::noticeEpoch.load(std::memory_order_relaxed);
}

inline void NextNoticeEpoch() {
    detail::noticeEpoch.fetch_add(1, std::memory_order_relaxed);
}

// A change subscriber or hook: replacing it moves the notice epoch on, so that a new
// one hears every change from then on.
template <class Signature>
class TChangeSubscriber : public std::function<Signature> {
    using Base = std::function<Signature>;

  public:
    TChangeSubscriber() = default;
    TChangeSubscriber(const TChangeSubscriber&) = default;
    TChangeSubscriber(TChangeSubscriber&&) = default;
    TChangeSubscriber& operator=(Base subscriber) {
        Base::operator=(std::move(subscriber));
        NextNoticeEpoch();
        return *this;
    }
    TChangeSubscriber& operator=(const TChangeSubscriber& other) { return *this = Base(other); }
    TChangeSubscriber& operator=(TChangeSubscriber&& other) {
        return *this = Base(std::move(other));
    }
};

}  // namespace vardel
