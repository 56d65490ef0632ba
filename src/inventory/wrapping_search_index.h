// A search of a list of health objects that starts at a given place and wraps around,
// answered from an index built once per list instead of by visiting the list: the memory
// builders search one list once per cartridge or DIMM, and a visit per search made a big
// server's inventory build grow with the square of its DIMMs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "platform/health_data_source.h"

namespace norv {

// Find(start, key) returns what a visit of the list from place `start` (modulo the list's
// length), wrapping around, returns when it takes the first object whose key equals `key`:
// the first such object at or after the start, else the first one from the beginning of the
// list; the same object for duplicates. `keyOf` gives an object's key, or nothing for an
// object that no search accepts; it is called once per object, in list order.
template <typename Key>
class WrappingSearchIndex {
public:
    template <typename KeyOf>
    WrappingSearchIndex(const HealthObjectList& objects, KeyOf keyOf) : objects_(objects) {
        places_.reserve(objects.size());
        for (std::size_t place = 0; place < objects.size(); ++place) {
            if (std::optional<Key> key = keyOf(*objects[place])) {
                places_.emplace_back(std::move(*key), place);
            }
        }
        // Stable, so that equal keys keep their list order; the places then break no tie.
        std::stable_sort(places_.begin(), places_.end(),
                         [](const Entry& a, const Entry& b) { return a.first < b.first; });
    }

    const HealthObject* Find(std::size_t start, const Key& key) const {
        if (objects_.empty()) return nullptr;
        const std::size_t from = start % objects_.size();
        const auto first = std::lower_bound(places_.begin(), places_.end(), Entry{key, 0});
        const auto atOrAfter = std::lower_bound(first, places_.end(), Entry{key, from});
        for (const auto found : {atOrAfter, first}) {
            if (found != places_.end() && found->first == key) return objects_[found->second].get();
        }
        return nullptr;
    }

private:
    using Entry = std::pair<Key, std::size_t>;

    const HealthObjectList& objects_;
    std::vector<Entry> places_;  // ordered by key, then by place
};

}  // namespace norv
