// The cost per event of turning SEL events into text, ours beside a peer's: FreeIPMI's SEL
// library formatting the same events. Built only where pkg-config finds libfreeipmi.
//
// The events are the 963 entries of the full log area (26 distinct events over every event
// class, all mapping to the default platform's inventory). Ours starts from the log entry:
// the mapping, then the texts. The peer starts from the 16-byte SEL event record that the
// entry's RecordData describes (record id and timestamp least significant byte first, type
// 02, generator id, event message revision 04, sensor type and number, event direction and
// type, event data 1 to 3), built before timing, and formats it with
// ipmi_sel_parse_read_record_string on a context without an SDR (sensors show as
// "Sensor #N"). Both keep each text in a new std::string. Two pairs:
//   texts         ours: MapEntry, CaptionText, DescriptionText, RecordDataText
//                 peer: "%i | %s | %T | %E | %k" (id, sensor, type, event text, direction)
//   with_dates    ours: MapEntry, then BuildSelRecords (all ten texts, CIM date-times)
//                 peer: "%i | %d | %t | %s | %T | %E | %k" (the same with date and time)
// Items are events; per_event is the time per event; text_bytes the characters made per event.
// `sel_text_bench --show_texts` prints both sides' texts of the 26 distinct events.
#include <benchmark/benchmark.h>
#include <freeipmi/freeipmi.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <iostream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_log_area.h"
#include "eventlog/log_entry_mapping.h"
#include "eventlog/log_record_data.h"
#include "eventlog/management_log.h"
#include "eventlog/sel_entry.h"
#include "inventory/controller_record.h"

namespace norv::bench {
namespace {

constexpr const char* kPeerTextFormat = "%i | %s | %T | %E | %k";
constexpr const char* kPeerDatedFormat = "%i | %d | %t | %s | %T | %E | %k";
constexpr std::size_t kPeerBufferSize = 512;

using SelRecordBytes = std::array<std::uint8_t, 16>;

SelRecordBytes SelRecordOf(const SelEntry& entry) {
    return {
        static_cast<std::uint8_t>(entry.recordId & 0xFF),
        static_cast<std::uint8_t>(entry.recordId >> 8),
        kSelRecordTypeSystemEvent,
        static_cast<std::uint8_t>(entry.timestamp & 0xFF),
        static_cast<std::uint8_t>((entry.timestamp >> 8) & 0xFF),
        static_cast<std::uint8_t>((entry.timestamp >> 16) & 0xFF),
        static_cast<std::uint8_t>(entry.timestamp >> 24),
        entry.ownerId,
        entry.ownerLun,
        kSelEventMessageRevision,
        entry.sensorType,
        entry.sensorNumber,
        static_cast<std::uint8_t>((entry.deassertion != 0 ? 0x80 : 0) | (entry.eventType & 0x7F)),
        entry.EventData1(),
        entry.eventData2,
        entry.eventData3};
}

class PeerContext {
public:
    PeerContext() : context_(ipmi_sel_ctx_create(nullptr, nullptr)) {
        if (context_ == nullptr) throw std::runtime_error("cannot create a FreeIPMI SEL context");
    }
    PeerContext(const PeerContext&) = delete;
    PeerContext& operator=(const PeerContext&) = delete;
    ~PeerContext() { ipmi_sel_ctx_destroy(context_); }

    // The record's text; throws when the library refuses the record or cuts the text.
    std::string Format(const char* format, const SelRecordBytes& record) {
        std::array<char, kPeerBufferSize> buffer{};
        const int length = ipmi_sel_parse_read_record_string(
            context_, format, record.data(), static_cast<unsigned>(record.size()), buffer.data(),
            static_cast<unsigned>(buffer.size()), IPMI_SEL_STRING_FLAGS_DEFAULT);
        if (length < 0 || static_cast<std::size_t>(length) >= buffer.size())
            throw std::runtime_error(std::string("FreeIPMI cannot format a record: ") +
                                     ipmi_sel_ctx_errormsg(context_));
        return std::string(buffer.data(), static_cast<std::size_t>(length));
    }

private:
    ipmi_sel_ctx_t context_;
};

struct Events {
    LogArea area;
    std::vector<std::uint8_t> entryBytes;                // the area's entries, oldest first
    std::vector<std::span<const std::uint8_t>> entries;  // into entryBytes
    std::vector<SelEntry> mapped;                        // the entries mapped, timestamps converted
    std::vector<SelRecordBytes> records;                 // one per entry
};

const Events& TheEvents() {
    static const Events events = [] {
        Events made;
        made.area = FullLogArea(0);
        made.entryBytes = LogAreaEntryBytes(made.area.bytes, made.area.reportedSize);
        made.entries = SplitLogEntries(made.entryBytes);
        made.mapped.resize(made.entries.size());
        for (std::size_t i = 0; i < made.entries.size(); ++i) {
            if (!MapEntry(made.entries[i], DefaultInventory(), made.mapped[i]))
                throw std::runtime_error("entry " + std::to_string(i) + " does not map");
        }
        // Converting the dates sets the timestamps the records carry.
        (void)BuildSelRecords(made.mapped, BenchTimeZone(), TheManagementController());
        for (const SelEntry& entry : made.mapped) made.records.push_back(SelRecordOf(entry));
        return made;
    }();
    return events;
}

void SetEventCounters(benchmark::State& state, std::size_t events, std::size_t textBytes) {
    const auto count = static_cast<double>(events);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(events));
    state.counters["events"] = count;
    state.counters["text_bytes"] = static_cast<double>(textBytes) / count;
    state.counters["per_event"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void OursTexts(benchmark::State& state) {
    const Events& events = TheEvents();
    const SensorInventory& inventory = DefaultInventory();
    std::size_t textBytes = 0;
    for (auto _ : state) {
        textBytes = 0;
        // One search per pass over the log, as a log read makes.
        const SensorSearch search(inventory);
        for (const std::span<const std::uint8_t> entry : events.entries) {
            SelEntry selEntry;
            MapEntry(entry, search, selEntry);
            const std::string caption = CaptionText(selEntry);
            const std::string description = DescriptionText(selEntry);
            const std::string data = RecordDataText(selEntry);
            benchmark::DoNotOptimize(data.data());
            textBytes += caption.size() + description.size() + data.size();
        }
    }
    SetEventCounters(state, events.entries.size(), textBytes);
}

void OursWithDates(benchmark::State& state) {
    const Events& events = TheEvents();
    const SensorInventory& inventory = DefaultInventory();
    const TimeZoneRules rules = BenchTimeZone();
    std::size_t textBytes = 0;
    // The event-log cache keeps its entry list between refreshes and clears it, as here.
    std::vector<SelEntry> entries;
    for (auto _ : state) {
        entries.clear();
        entries.reserve(events.entries.size());
        const SensorSearch search(inventory);
        for (const std::span<const std::uint8_t> entry : events.entries) {
            entries.emplace_back();
            MapEntry(entry, search, entries.back());
        }
        const SelRecords records = BuildSelRecords(entries, rules, TheManagementController());
        benchmark::DoNotOptimize(records.records.data());
        textBytes = 0;
        for (const LogRecordData& record : records.records)
            textBytes += record.caption.size() + record.description.size() +
                         record.recordData.size() + record.messageTimestamp.size();
    }
    SetEventCounters(state, events.entries.size(), textBytes);
}

void Peer(benchmark::State& state, const char* format) {
    const Events& events = TheEvents();
    PeerContext peer;
    std::size_t textBytes = 0;
    for (auto _ : state) {
        textBytes = 0;
        for (const SelRecordBytes& record : events.records) {
            const std::string text = peer.Format(format, record);
            benchmark::DoNotOptimize(text.data());
            textBytes += text.size();
        }
    }
    SetEventCounters(state, events.records.size(), textBytes);
}

void RegisterSelTextBenchmarks() {
    const Events& events = TheEvents();
    if (events.entries.size() != events.area.entries)
        throw std::runtime_error("the full log area does not split into its entries");
    // Refuse to time a peer that cannot format every record.
    PeerContext peer;
    for (const SelRecordBytes& record : events.records) {
        (void)peer.Format(kPeerTextFormat, record);
        (void)peer.Format(kPeerDatedFormat, record);
    }
    benchmark::RegisterBenchmark("SelText/ours/texts", OursTexts);
    benchmark::RegisterBenchmark("SelText/peer/texts", Peer, kPeerTextFormat);
    benchmark::RegisterBenchmark("SelText/ours/with_dates", OursWithDates);
    benchmark::RegisterBenchmark("SelText/peer/with_dates", Peer, kPeerDatedFormat);
}

// The texts of the first event of each kind, ours and the peer's, to see what is compared.
void ShowTexts() {
    const Events& events = TheEvents();
    PeerContext peer;
    constexpr std::size_t kDistinctEvents = 26;
    for (std::size_t i = 0; i < kDistinctEvents && i < events.mapped.size(); ++i) {
        const SelEntry& selEntry = events.mapped[i];
        std::cout << "ours caption:     " << CaptionText(selEntry) << "\n"
                  << "ours description: " << DescriptionText(selEntry) << "\n"
                  << "ours record data: " << RecordDataText(selEntry) << "\n"
                  << "peer:             " << peer.Format(kPeerDatedFormat, events.records[i])
                  << "\n\n";
    }
}

}  // namespace
}  // namespace norv::bench

int main(int argc, char** argv) {
    try {
        if (argc == 2 && std::string(argv[1]) == "--show_texts") {
            norv::bench::ShowTexts();
            return 0;
        }
        norv::bench::RegisterSelTextBenchmarks();
    } catch (const std::exception& error) {
        std::cerr << "sel_text_bench: " << error.what() << "\n";
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
