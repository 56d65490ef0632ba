#include "events/delivery_queue.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace norv {
namespace {

// Events are letters; `failures[e]` is how many offers of e fail before one succeeds.
struct Deliveries {
    std::map<char, int> failures;
    std::string delivered;
    std::string givenUp;
    std::size_t stopAfterOffers = 1000;
    std::size_t offers = 0;

    void Round(DeliveryQueue<char>& queue) {
        auto kept = OfferInOrder<char>(
            queue.TakeAll(),
            [this](char event) {
                ++offers;
                if (failures[event]-- > 0) return false;
                delivered += event;
                return true;
            },
            [this] { return offers >= stopAfterOffers; }, [this](char event) { givenUp += event; });
        queue.PutBack(std::move(kept));
    }
};

TEST(DeliveryQueueTest, EachEventOnceInOrderAFailedOneTriedAgainUntilItsThirdTry) {
    DeliveryQueue<char> queue;
    Deliveries deliveries;
    deliveries.failures = {{'b', 1}, {'c', 3}, {'d', 2}};
    for (char event : std::string("abcde")) queue.Add(event);
    deliveries.Round(queue);
    EXPECT_EQ(deliveries.delivered, "ae");
    queue.Add('f');  // found by a later tick: behind the events tried again
    deliveries.Round(queue);
    EXPECT_EQ(deliveries.delivered, "aebf");
    deliveries.Round(queue);
    EXPECT_EQ(deliveries.delivered, "aebfd");
    EXPECT_EQ(deliveries.givenUp, "c");
    EXPECT_EQ(queue.Size(), 0u);
    deliveries.Round(queue);
    EXPECT_EQ(deliveries.delivered, "aebfd");
}

TEST(DeliveryQueueTest, AStopLeavesTheRestUntriedAndWithoutASinkTheOldestGoFirst) {
    DeliveryQueue<char> queue(3);
    Deliveries deliveries;
    deliveries.failures = {{'b', 1}};
    deliveries.stopAfterOffers = 2;
    EXPECT_TRUE(queue.Add('a').empty());
    queue.Add('b');
    queue.Add('c');
    deliveries.Round(queue);
    EXPECT_EQ(deliveries.delivered, "a");
    deliveries.stopAfterOffers = 1000;
    deliveries.failures['b'] = 2;  // its first failure counted: two more fail, then given up
    deliveries.Round(queue);
    deliveries.Round(queue);
    EXPECT_EQ(deliveries.givenUp, "b");
    EXPECT_EQ(deliveries.delivered, "ac");
    for (char event : std::string("wxy")) EXPECT_TRUE(queue.Add(event).empty());
    EXPECT_EQ(queue.Add('z'), std::vector<char>{'w'});
    deliveries.Round(queue);
    EXPECT_EQ(deliveries.delivered, "acxyz");
}

}  // namespace
}  // namespace norv
