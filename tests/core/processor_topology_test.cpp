#include "platform/processor_topology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/socket_designation.h"
#include "smbios_test_tables.h"
#include "support/case_file.h"

namespace norv {
namespace {

using namespace smbios_test;

// A CPU as "VENDOR maxLeaf logicalPerPackage hyperThreadingBit maxCoresPerPackage"; leaf 4's
// low (cache type) bits are set and must be ignored.
CpuidIdentity ReadCpu(std::istream& in) {
    std::string vendor;
    std::uint32_t maxLeaf = 0, logical = 0, ht = 0, maxCores = 0;
    in >> vendor >> maxLeaf >> logical >> ht >> maxCores;
    return {vendor, maxLeaf, logical << 16 | 0x0800, (ht != 0 ? kHyperThreadingBit : 0) | 0x0F8B,
            (maxCores - 1) << 26 | 0x121};
}

// tests/data/core/processor_count.txt: the keyword numbers of socket designations, the
// CPUID facts, the id widths and the count of each processor layout.
std::string CountCase(const std::string& input) {
    std::istringstream in = test::CaseInput(input);
    std::string what;
    in >> what;
    if (what == "keyword") {
        std::string keyword, text;
        in >> keyword;
        std::getline(in >> std::ws, text);
        text = text.substr(1, text.size() - 2);  // between the quotes
        const auto number = ParseNumberAfterKeyword(text, keyword);
        return number ? std::to_string(*number) : "none";
    }
    if (what == "width") {
        unsigned count = 0;
        in >> count;
        return std::to_string(IdWidth(count));
    }
    ProcessorCountInput count{ReadCpu(in), 0, false, {}};
    if (what == "cpu") {
        return "ht " + std::to_string(IsHyperThreadingCapable(count.cpuid)) + " cores " +
               std::to_string(MaxCoresPerPackage(count.cpuid));
    }
    in >> count.reportedProcessors >> count.affinityMasksDiffer;
    for (unsigned id = 0; in >> id;) count.initialApicIds.push_back(static_cast<std::uint8_t>(id));
    const ProcessorCount counted = CountProcessors(count);
    std::string text = "status " + std::to_string(static_cast<int>(counted.status)) + " " +
                       std::to_string(counted.logicalPerCore) + "/" +
                       std::to_string(counted.coresPerPackage) + "/" +
                       std::to_string(counted.packages) + ":";
    for (const TopologyRecord& r : counted.topology) {
        text += " " + std::to_string(r.apicId) + "." + std::to_string(r.packageId) + "." +
                std::to_string(r.coreId) + "." + std::to_string(r.logicalId);
    }
    return text;
}

// "info TABLE STATUS RECORDS...": the processor list of TABLE (a definition of
// smbios_images.txt, or none) when the count gives that status and those
// apic.package.core.logical records. The answer: the list's status, each entry's socket
// handle, APIC id and ids, designation and OEM APIC id, the sockets, the calls of the count
// and the slot/proc keys of processors 0..3.
std::string InfoCase(std::istream& in) {
    std::string table;
    int status = 0;
    in >> table >> status;
    ProcessorCount counted;
    counted.status = static_cast<ProcessorCountStatus>(status);
    int calls = 0;  // of the count, which hands out `counted`
    const auto count = [&] { return ++calls, counted; };
    for (std::string record; in >> record;) {
        std::replace(record.begin(), record.end(), '.', ' ');
        std::istringstream ids(record);
        unsigned apic = 0, package = 0, core = 0, logical = 0;
        ids >> apic >> package >> core >> logical;
        counted.topology.push_back(
            {static_cast<std::uint8_t>(apic), static_cast<std::uint8_t>(package),
             static_cast<std::uint8_t>(core), static_cast<std::uint8_t>(logical)});
    }
    counted.packages = static_cast<std::uint8_t>(counted.topology.size());
    const ProcessorInfo info = GetProcessorInfo(
        table == "none" ? std::nullopt : std::optional(Hex(Defined(table))), count);
    std::string text = "status " + std::to_string(static_cast<int>(info.status)) + ":";
    char entry[80];
    for (const ProcessorEntry& e : info.entries) {
        std::snprintf(
            entry, sizeof entry, " %02X%02X %02X.%u.%u.%u %s/%02X", unsigned{e.processor[3]},
            unsigned{e.processor[2]}, unsigned{e.topology.apicId}, unsigned{e.topology.packageId},
            unsigned{e.topology.coreId}, unsigned{e.topology.logicalId},
            GetSocketString(1, e.strings).c_str(), unsigned{e.oemProcessor[kOemApicIdOffset]});
        text += entry;
    }
    text += "; " + std::to_string(info.structures.size()) + " sockets, counted " +
            std::to_string(calls) + "; keys";
    for (std::size_t index = 0; index < 4; ++index) {
        const ProcessorKey key = ProcessorKeyOf(info, index);
        text += " " + std::to_string(key.slot) + "/" + std::to_string(key.proc);
    }
    return text;
}

TEST(ProcessorCountAndInfo, CasesAsReviewed) {
    test::ExpectCases("processor_count.txt", [](const std::string& input) {
        if (!input.starts_with("info ")) return CountCase(input);
        std::istringstream in(input.substr(5));
        return InfoCase(in);
    });
}

}  // namespace
}  // namespace norv
