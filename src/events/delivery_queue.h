// The events made but not yet delivered, and the rule of their delivery: each is offered in
// order, one's failure does not hold back the others, a failed one is offered again at the
// next delivery and, after kDeliveryTries failed offers, given up. A delivered event leaves
// the queue, so it is never offered again. Without a sink nothing is offered and the events
// wait, the oldest given up first once more than the capacity wait.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace norv {

inline constexpr std::uint32_t kDeliveryTries = 3;
inline constexpr std::size_t kDeliveryQueueCapacity = 1024;

template <typename Event>
class DeliveryQueue {
public:
    struct Queued {
        Event event;
        std::uint32_t failedOffers = 0;
    };

    explicit DeliveryQueue(std::size_t capacity = kDeliveryQueueCapacity) : capacity_(capacity) {}

    // Queues an event behind the others; the oldest events past the capacity are given up
    // and returned.
    std::vector<Event> Add(Event event) {
        queue_.push_back({std::move(event), 0});
        std::vector<Event> givenUp;
        while (queue_.size() > capacity_) {
            givenUp.push_back(std::move(queue_.front().event));
            queue_.pop_front();
        }
        return givenUp;
    }

    // Takes every queued event out for an offer; what the offer keeps comes back with PutBack.
    std::vector<Queued> TakeAll() {
        std::vector<Queued> taken(std::make_move_iterator(queue_.begin()),
                                  std::make_move_iterator(queue_.end()));
        queue_.clear();
        return taken;
    }
    // Puts events taken out back in front of those queued since, in their order.
    void PutBack(std::vector<Queued> kept) {
        queue_.insert(queue_.begin(), std::make_move_iterator(kept.begin()),
                      std::make_move_iterator(kept.end()));
    }

    std::size_t Size() const noexcept { return queue_.size(); }
    void Clear() { queue_.clear(); }

private:
    std::size_t capacity_;
    std::deque<Queued> queue_;
};

// Offers `taken` in order: `offer(event)` answers whether it was delivered; `stopped()` ends
// the offers early (the rest are kept untouched); `giveUp(event)` hears of each event whose
// last try failed. Returns the events to offer again.
template <typename Event, typename Offer, typename Stopped, typename GiveUp>
std::vector<typename DeliveryQueue<Event>::Queued> OfferInOrder(
    std::vector<typename DeliveryQueue<Event>::Queued> taken, Offer&& offer, Stopped&& stopped,
    GiveUp&& giveUp) {
    std::vector<typename DeliveryQueue<Event>::Queued> kept;
    for (std::size_t index = 0; index < taken.size(); ++index) {
        auto& queued = taken[index];
        if (stopped()) {
            kept.push_back(std::move(queued));
            continue;
        }
        if (offer(queued.event)) continue;
        if (++queued.failedOffers >= kDeliveryTries) {
            giveUp(queued.event);
        } else {
            kept.push_back(std::move(queued));
        }
    }
    return kept;
}

}  // namespace norv
