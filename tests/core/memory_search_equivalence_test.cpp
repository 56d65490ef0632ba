// The memory builders find a board or DIMM object through an index (WrappingSearchIndex)
// instead of visiting the list from a start place and wrapping around. These cases hold the
// builders, and the index they use, to the visit itself: the linear search the builders made
// before is the oracle, over many random lists with duplicates, objects that do not pass and
// unreadable ids.
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

// Records the places of the objects whose given property a builder reads: the builders read
// it of the object they found only.
class FoundObjectRecorder final : public FakeHealthDataSource {
public:
    explicit FoundObjectRecorder(std::string_view property) : property_(property) {}
    bool ReadInt32(const HealthObject& object, std::string_view property,
                   std::int32_t& value) override {
        if (property == property_)
            found.push_back(static_cast<const testing::FakeHealthObject&>(object).place);
        return FakeHealthDataSource::ReadInt32(object, property, value);
    }

    std::vector<std::size_t> found;

private:
    std::string_view property_;
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
        FoundObjectRecorder source(dimms ? "Status" : "CartPIRN");
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
