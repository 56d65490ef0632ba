// The memory builders find a board or DIMM object through an index instead of visiting the
// list from a start place and wrapping around. These cases hold the index, and the builders
// that use it, to the visit itself: the linear search the builders made before is the oracle,
// over many random lists with duplicates, objects that do not pass and unreadable ids.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "fake_health_data_source.h"
#include "inventory/system_builders.h"
#include "inventory/wrapping_search_index.h"

namespace norv {
namespace {

using testing::FakeHealthDataSource;
using testing::FakeProperties;

constexpr std::int32_t kUnreadable = 256;  // what a builder reads of an id it cannot read

std::int32_t Int(const FakeProperties& object, const char* name, std::int32_t otherwise) {
    const auto found = object.find(name);
    return found == object.end() ? otherwise : std::get<std::int32_t>(found->second);
}

// The oracle: the place of the first object, visited from `start` and wrapping, that passes.
std::optional<std::size_t> VisitFrom(const std::vector<FakeProperties>& objects, std::size_t start,
                                     const std::function<bool(const FakeProperties&)>& passes) {
    for (std::size_t step = 0; step < objects.size(); ++step) {
        const std::size_t place = (start + step) % objects.size();
        if (passes(objects[place])) return place;
    }
    return std::nullopt;
}

// An id from a small range, so that keys repeat, or now and then none at all.
void MaybeSet(FakeProperties& object, const char* name, std::mt19937& random, int low, int high) {
    if (random() % 8 != 0)
        object[name] = std::uniform_int_distribution<std::int32_t>(low, high)(random);
}

TEST(WrappingSearchIndex, FindsWhatTheVisitFinds) {
    std::mt19937 random(14);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<FakeProperties> served(random() % 24);
        for (FakeProperties& object : served) MaybeSet(object, "Id", random, 0, 5);
        FakeHealthDataSource source;
        source.Serve(kDimmQuery, served);
        const HealthObjectList objects = source.Query(kHealthNamespace, kDimmQuery);
        // Objects with an odd id are never found.
        const WrappingSearchIndex<std::int32_t> index(
            objects, [&](const HealthObject& object) -> std::optional<std::int32_t> {
                std::int32_t id = -1;
                source.ReadInt32(object, "Id", id);
                if (id % 2 != 0) return std::nullopt;
                return id;
            });
        for (std::size_t start = 0; start < 2 * served.size() + 1; ++start) {
            for (std::int32_t key = -1; key <= 6; ++key) {
                const auto expected = VisitFrom(served, start, [&](const FakeProperties& o) {
                    const std::int32_t id = Int(o, "Id", -1);
                    return id % 2 == 0 && id == key;
                });
                ASSERT_EQ(index.Find(start, key), expected ? objects[*expected].get() : nullptr)
                    << "trial " << trial << ", start " << start << ", key " << key;
            }
        }
    }
}

// Records, in order, the places of the objects of one query whose given property a builder
// reads: the builders read it of the object they found only.
class FoundObjectRecorder final : public FakeHealthDataSource {
public:
    FoundObjectRecorder(std::string_view wql, std::string_view property)
        : wql_(wql), property_(property) {}
    HealthObjectList Query(std::string_view nameSpace, std::string_view wql) override {
        HealthObjectList objects = FakeHealthDataSource::Query(nameSpace, wql);
        if (wql == wql_) {
            places_.clear();
            for (const auto& object : objects) places_.push_back(object.get());
        }
        return objects;
    }
    bool ReadInt32(const HealthObject& object, std::string_view property,
                   std::int32_t& value) override {
        for (std::size_t place = 0; property == property_ && place < places_.size(); ++place) {
            if (places_[place] == &object) found.push_back(place);
        }
        return FakeHealthDataSource::ReadInt32(object, property, value);
    }

    std::vector<std::size_t> found;

private:
    std::string_view wql_, property_;
    std::vector<const HealthObject*> places_;
};

TEST(MemorySearchEquivalence, BoardAndDimmBuildersFindTheObjectsTheVisitFinds) {
    std::mt19937 random(8);
    for (int trial = 0; trial < 400; ++trial) {
        const bool dimms = trial % 2 == 0;
        const std::int32_t cartridges =
            std::uniform_int_distribution<std::int32_t>(1, dimms ? 4 : 6)(random);
        const std::int32_t modules =
            dimms ? std::uniform_int_distribution<std::int32_t>(1, 5)(random) : 1;
        std::vector<FakeProperties> objects(random() % (dimms ? 40 : 16));
        for (FakeProperties& object : objects) {
            MaybeSet(object, dimms ? "Present" : "CartStatus", random, 0, 2);
            MaybeSet(object, "CartID", random, 0, cartridges + (dimms ? 0 : 1));
            if (dimms) MaybeSet(object, "ModuleID", random, 0, modules + 1);
            object[dimms ? "Status" : "CartPIRN"] = std::int32_t{1};
        }
        // Cartridge 0 is the system board when there is one cartridge; a DIMM's search starts
        // at its ordinal among all modules, a board's at its cartridge's ordinal.
        std::vector<std::size_t> expected;
        const std::int32_t first = cartridges == 1 ? 0 : 1;
        for (std::int32_t k = first; k <= (cartridges == 1 ? 0 : cartridges); ++k) {
            for (std::int32_t module = 1; module <= modules; ++module) {
                const auto start =
                    static_cast<std::size_t>(dimms ? (k - first) * modules + module : k - first);
                const auto place = VisitFrom(objects, start, [&](const FakeProperties& o) {
                    if (!dimms)
                        return Int(o, "CartStatus", 0) != 0 && Int(o, "CartID", kUnreadable) == k;
                    return Int(o, "Present", 0) == 1 && Int(o, "CartID", kUnreadable) == k &&
                           Int(o, "ModuleID", kUnreadable) == module;
                });
                if (place) expected.push_back(*place);
            }
        }
        const std::string_view query = dimms ? kDimmQuery : kMemoryBoardQuery;
        FoundObjectRecorder source(query, dimms ? "Status" : "CartPIRN");
        source.Serve(
            kMemorySubsystemQuery,
            {{{"Present", true}, {"NumberCartridges", cartridges}, {"NumberModules", modules}}});
        source.Serve(query, objects);
        SensorInventory inventory;
        std::uint8_t counter = 0;
        ASSERT_TRUE(
            (dimms ? BuildDimmSensors : BuildMemoryBoardSensors)(inventory, source, counter));
        EXPECT_EQ(source.found, expected) << "trial " << trial;
    }
}

}  // namespace
}  // namespace norv
