// The memory builders find a board or DIMM object through an index instead of visiting the
// list from a start place and wrapping around. These cases hold the index, and the builders
// that use it, to the visit itself: the linear search the builders made before is the oracle,
// over many random lists with duplicates, objects that do not pass and unreadable ids.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "fake_health_data_source.h"
#include "inventory/sensor_inventory.h"
#include "inventory/system_builders.h"
#include "inventory/wrapping_search_index.h"

namespace norv {
namespace {

using testing::FakeHealthDataSource;
using testing::FakeProperties;

constexpr const char* kResMemWql = "SELECT * FROM ResMemInfo";
constexpr const char* kBoardWql =
    "SELECT CartID, NumModules, CartStatus, Removable, CartError, CartPIRN FROM MemoryBoardInfo";
constexpr const char* kDimmWql = "SELECT * FROM MemoryDIMMInfo";
// What a builder reads of an id it cannot read.
constexpr std::int32_t kUnreadable = 256;

std::int32_t Int(const FakeProperties& object, const char* name, std::int32_t otherwise) {
    const auto found = object.find(name);
    return found == object.end() ? otherwise : std::get<std::int32_t>(found->second);
}

// The oracle: the place of the first object, visited from `start` and wrapping, that passes.
template <typename Passes>
std::optional<std::size_t> VisitFrom(const std::vector<FakeProperties>& objects, std::size_t start,
                                     Passes passes) {
    for (std::size_t step = 0; step < objects.size(); ++step) {
        const std::size_t place = (start + step) % objects.size();
        if (passes(objects[place])) return place;
    }
    return std::nullopt;
}

// Serves a fake's objects and records, in order, the places of the objects of one query
// whose given property a builder reads: the builders read it of the object they found only.
class FoundObjectRecorder final : public HealthDataSource {
public:
    FoundObjectRecorder(FakeHealthDataSource& fake, std::string_view wql, std::string_view property)
        : fake_(fake), wql_(wql), property_(property) {}

    HealthObjectList Query(std::string_view nameSpace, std::string_view wql) override {
        HealthObjectList objects = fake_.Query(nameSpace, wql);
        if (wql == wql_) {
            places_.clear();
            for (const auto& object : objects) places_.push_back(object.get());
        }
        return objects;
    }
    bool ReadBool(const HealthObject& object, std::string_view property, bool& value) override {
        return fake_.ReadBool(object, property, value);
    }
    bool ReadInt32(const HealthObject& object, std::string_view property,
                   std::int32_t& value) override {
        if (property == property_) {
            for (std::size_t place = 0; place < places_.size(); ++place) {
                if (places_[place] == &object) found.push_back(place);
            }
        }
        return fake_.ReadInt32(object, property, value);
    }
    bool ReadUInt8(const HealthObject& object, std::string_view property,
                   std::uint8_t& value) override {
        return fake_.ReadUInt8(object, property, value);
    }
    bool ReadString(const HealthObject& object, std::string_view property,
                    std::string& value) override {
        return fake_.ReadString(object, property, value);
    }

    std::vector<std::size_t> found;

private:
    FakeHealthDataSource& fake_;
    std::string_view wql_;
    std::string_view property_;
    std::vector<const HealthObject*> places_;
};

// An id from a small range, so that keys repeat, or now and then none at all.
void MaybeSet(FakeProperties& object, const char* name, std::mt19937& random, int low, int high) {
    if (random() % 8 == 0) return;
    object[name] = std::uniform_int_distribution<std::int32_t>(low, high)(random);
}

TEST(WrappingSearchIndex, FindsWhatTheVisitFinds) {
    std::mt19937 random(14);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<FakeProperties> served(random() % 24);
        for (FakeProperties& object : served) MaybeSet(object, "Id", random, 0, 5);
        FakeHealthDataSource source;
        source.Serve(kDimmWql, served);
        const HealthObjectList objects = source.Query("root\\wmi", kDimmWql);
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

TEST(MemorySearchEquivalence, DimmBuilderFindsTheObjectsTheVisitFinds) {
    std::mt19937 random(8);
    for (int trial = 0; trial < 200; ++trial) {
        const std::int32_t cartridges = std::uniform_int_distribution<std::int32_t>(1, 4)(random);
        const std::int32_t modules = std::uniform_int_distribution<std::int32_t>(1, 5)(random);
        std::vector<FakeProperties> dimms(random() % 40);
        for (FakeProperties& dimm : dimms) {
            MaybeSet(dimm, "Present", random, 0, 2);
            MaybeSet(dimm, "CartID", random, 0, cartridges);
            MaybeSet(dimm, "ModuleID", random, 0, modules + 1);
            dimm["Status"] = std::int32_t{2};
        }
        std::vector<std::size_t> expected;
        const std::int32_t first = cartridges == 1 ? 0 : 1;
        const std::int32_t last = cartridges == 1 ? 0 : cartridges;
        for (std::int32_t k = first; k <= last; ++k) {
            for (std::int32_t module = 1; module <= modules; ++module) {
                const auto start = static_cast<std::size_t>((k - first) * modules + module);
                const auto place = VisitFrom(dimms, start, [&](const FakeProperties& o) {
                    return Int(o, "Present", 0) == 1 && Int(o, "CartID", kUnreadable) == k &&
                           Int(o, "ModuleID", kUnreadable) == module;
                });
                if (place) expected.push_back(*place);
            }
        }
        FakeHealthDataSource fake;
        fake.Serve(
            kResMemWql,
            {{{"Present", true}, {"NumberCartridges", cartridges}, {"NumberModules", modules}}});
        fake.Serve(kDimmWql, dimms);
        FoundObjectRecorder source(fake, kDimmWql, "Status");
        SensorInventory inventory;
        std::uint8_t counter = 0;
        ASSERT_TRUE(BuildDimmSensors(inventory, source, counter));
        EXPECT_EQ(source.found, expected) << "trial " << trial;
    }
}

TEST(MemorySearchEquivalence, BoardBuilderFindsTheObjectsTheVisitFinds) {
    std::mt19937 random(9);
    for (int trial = 0; trial < 200; ++trial) {
        const std::int32_t cartridges = std::uniform_int_distribution<std::int32_t>(1, 6)(random);
        std::vector<FakeProperties> boards(random() % 16);
        for (FakeProperties& board : boards) {
            MaybeSet(board, "CartStatus", random, 0, 2);
            MaybeSet(board, "CartID", random, 0, cartridges + 1);
            board["CartPIRN"] = std::int32_t{1};
        }
        std::vector<std::size_t> expected;
        const std::int32_t first = cartridges == 1 ? 0 : 1;
        const std::int32_t last = cartridges == 1 ? 0 : cartridges;
        for (std::int32_t k = first; k <= last; ++k) {
            const auto place = VisitFrom(
                boards, static_cast<std::size_t>(k - first), [&](const FakeProperties& o) {
                    return Int(o, "CartStatus", 0) != 0 && Int(o, "CartID", kUnreadable) == k;
                });
            if (place) expected.push_back(*place);
        }
        FakeHealthDataSource fake;
        fake.Serve(kResMemWql, {{{"Present", true},
                                 {"NumberCartridges", cartridges},
                                 {"NumberModules", std::int32_t{1}}}});
        fake.Serve(kBoardWql, boards);
        FoundObjectRecorder source(fake, kBoardWql, "CartPIRN");
        SensorInventory inventory;
        std::uint8_t counter = 0;
        ASSERT_TRUE(BuildMemoryBoardSensors(inventory, source, counter));
        EXPECT_EQ(source.found, expected) << "trial " << trial;
    }
}

}  // namespace
}  // namespace norv
