#include "alerts/event_meanings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "eventlog/mapping_tables.h"
#include "support/case_file.h"

namespace norv {
namespace {

// One leaf of the mapping table: a row that maps, with where it sits, and whether it is taken
// in the repaired form (only a row whose entries can carry it).
struct MappedEvent {
    std::string place;  // "CLASS CODE" or "CLASS CODE SUBKEY", then " repaired"
    SelEventKey event;
};

void AddLeaf(std::vector<MappedEvent>& leaves, const std::string& place, const MappingRow& row) {
    if (!row.Mapped()) return;
    for (const bool repaired : {false, true}) {
        if (repaired && row.dataRule != EventDataRule::OkSeverity) continue;
        leaves.push_back({place + (repaired ? " repaired" : ""),
                          {row.sensorType, row.eventType, row.offset, row.direction, repaired}});
    }
}

// Every event the log-entry mapping can produce, walked from its tables.
std::vector<MappedEvent> MappedEvents() {
    std::vector<MappedEvent> leaves;
    for (std::uint32_t eventClass = 0; eventClass < kEventClassCount; ++eventClass) {
        for (std::uint32_t code = 0;; ++code) {
            const MappingRow* row = FindMappingRow(eventClass, code);
            if (row == nullptr) break;
            const std::string place = std::to_string(eventClass) + " " + std::to_string(code);
            if (row->subTable == nullptr) {
                AddLeaf(leaves, place, *row);
                continue;
            }
            for (std::size_t sub = 0; sub < row->subTable->rows.size(); ++sub)
                AddLeaf(leaves, place + " " + std::to_string(sub), row->subTable->rows[sub]);
        }
    }
    return leaves;
}

std::string EffectText(const EventMeaning& meaning) {
    constexpr const char* kEffects[] = {"none", "raises", "clears", "clears all"};  // by value
    std::string text = kEffects[static_cast<int>(meaning.effect)];
    if (meaning.effect != ConditionEffect::Clears) return text;
    for (MessageKey cleared : meaning.Cleared()) text += " " + std::string(MessageOf(cleared).name);
    return text;
}

std::string MeaningText(const EventMeaning& meaning) {
    std::ostringstream out;
    out << MessageId(MessageOf(meaning.message)) << " | severity "
        << static_cast<unsigned>(meaning.Severity()) << " | type "
        << static_cast<unsigned>(meaning.alertType) << " | cause "
        << static_cast<unsigned>(meaning.probableCause) << " | " << EffectText(meaning);
    return out.str();
}

// The whole table as one reviewed file: every leaf of the mapping table, by its place, to the
// meaning of the event it produces. The file names every leaf, no more and no fewer, so a
// meaning row keyed wrongly shows as a leaf with another meaning.
TEST(AlertMeanings, EveryMappedEventHasItsReviewedMeaning) {
    const std::vector<MappedEvent> leaves = MappedEvents();
    std::vector<std::string> asked;
    test::ExpectCases("alert_meanings.txt", [&](const std::string& input) {
        asked.push_back(input);
        const auto leaf = std::find_if(leaves.begin(), leaves.end(),
                                       [&](const MappedEvent& l) { return l.place == input; });
        if (leaf == leaves.end()) return std::string("no such mapped row");
        return MeaningText(FindEventMeaning(leaf->event));
    });
    std::vector<std::string> places;
    for (const MappedEvent& leaf : leaves) places.push_back(leaf.place);
    EXPECT_EQ(asked, places);
}

}  // namespace
}  // namespace norv
