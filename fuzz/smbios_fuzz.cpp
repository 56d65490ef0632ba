// Arbitrary bytes as a physical-memory image of the BIOS segment and as an SMBIOS structure
// table: scan for the entry point, walk the structures, collect the processors with their
// OEM records and keys, and count processors from CPUID values taken from the bytes.
// Besides the sanitizers' findings, a broken invariant aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/processor_topology.h"
#include "platform/smbios_entry_point.h"
#include "platform/smbios_table.h"
#include "platform/socket_designation.h"
#include "fuzz_invariant.h"

using namespace norv;

namespace {

void CheckEntryPoint(std::span<const std::uint8_t> image) {
    const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(image);
    if (!found) return;
    REQUIRE(found->offset % kSmbiosAnchorAlignment == 0);
    const std::span<const std::uint8_t> at = image.subspan(found->offset);
    const std::size_t length = at[kEntryPointLengthOffset];
    REQUIRE(length >= kMinimumEntryPointLength && length <= at.size());
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; ++i) sum += at[i];
    REQUIRE((sum & 0xFF) == 0);
    REQUIRE(std::memcmp(at.data(), kSmbiosAnchor.data(), kSmbiosAnchor.size()) == 0);
    REQUIRE(found->Version() >= kMinimumSmbiosVersion);
}

// Walks the table and checks that the structures tile it from the start without overlap.
std::size_t CheckWalk(std::span<const std::uint8_t> table) {
    SmbiosStructureWalker walker(table);
    std::size_t expectedStart = 0;
    std::size_t count = 0;
    while (const std::optional<SmbiosStructureView> structure = walker.Next()) {
        REQUIRE(structure->formatted.data() == table.data() + expectedStart);
        REQUIRE(structure->formatted.size() >= kStructureHeaderLength);
        REQUIRE(structure->formatted.size() == structure->formatted[kStructureLengthOffset]);
        REQUIRE(structure->stringSet.data() ==
                structure->formatted.data() + structure->formatted.size());
        expectedStart += structure->formatted.size() + structure->stringSet.size() + 2;
        REQUIRE(expectedStart <= table.size());
        const std::vector<std::string> strings = structure->Strings();
        REQUIRE(!strings.empty() && strings[0].empty());
        for (std::size_t i = 1; i < strings.size(); ++i)
            REQUIRE(!strings[i].empty() && strings[i].find('\0') == std::string::npos);
        ++count;
    }
    REQUIRE(!walker.Next());
    return count;
}

void CheckProcessors(std::span<const std::uint8_t> table, const ProcessorCount& count) {
    const std::vector<ProcessorStructure> processors = CollectProcessorStructures(table);
    for (std::size_t i = 0; i < processors.size(); ++i) {
        const std::optional<SmbiosStructure> same =
            FindStructure(table, kProcessorStructureType, i, kProcessorCopyLength);
        REQUIRE(same && same->formatted.size() <= kProcessorCopyLength);
        REQUIRE(std::memcmp(same->formatted.data(), processors[i].bytes.data(),
                            same->formatted.size()) == 0);
        REQUIRE(same->strings == processors[i].strings);
        const std::string designation =
            GetSocketString(processors[i].SocketDesignationNumber(), processors[i].strings);
        (void)ParseNumberAfterKeyword(designation, kProcKeyword);
        (void)ParseNumberAfterKeyword(designation, kSlotKeyword);
        if (const std::optional<OemProcessorBytes> oem =
                FindOemProcessor(table, processors[i].Handle())) {
            REQUIRE((*oem)[kStructureTypeOffset] == kOemProcessorStructureType);
        }
    }
    const ProcessorInfo info = GetProcessorInfo(table, [&count] { return count; });
    REQUIRE(info.structures.size() == processors.size());
    std::size_t populated = 0;
    for (const ProcessorStructure& processor : processors) populated += processor.Populated();
    if (info.status == ProcessorInfoStatus::Complete) {
        REQUIRE(info.entries.size() >= populated);
        REQUIRE(info.entries.size() <= populated * (count.topology.size() + 1));
    } else {
        REQUIRE(info.status == ProcessorInfoStatus::MissingOemRecord);
        REQUIRE(info.entries.size() < populated);
    }
    for (std::size_t i = 0; i <= info.entries.size() + 1; ++i) (void)ProcessorKeyOf(info, i);
}

std::uint32_t TakeUInt32(std::span<const std::uint8_t>& bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4 && !bytes.empty(); ++i) {
        value = value << 8 | bytes.front();
        bytes = bytes.subspan(1);
    }
    return value;
}

// CPUID values and APIC ids from the input's first bytes.
ProcessorCount CountFrom(std::span<const std::uint8_t> bytes) {
    ProcessorCountInput input;
    const std::uint32_t flags = TakeUInt32(bytes);
    input.cpuid.vendor = (flags & 1) != 0 ? kIntelVendor : kAmdVendor;
    input.affinityMasksDiffer = (flags & 2) != 0;
    input.cpuid.maxLeaf = flags >> 2 & 0xF;
    input.cpuid.leaf1Ebx = TakeUInt32(bytes);
    input.cpuid.leaf1Edx = TakeUInt32(bytes);
    input.cpuid.leaf4Eax = TakeUInt32(bytes);
    input.reportedProcessors = TakeUInt32(bytes);
    const std::size_t visited = std::min<std::size_t>(bytes.size(), 64);
    input.initialApicIds.assign(bytes.begin(),
                                bytes.begin() + static_cast<std::ptrdiff_t>(visited));
    const ProcessorCount count = CountProcessors(input);
    REQUIRE(count.topology.size() == (input.affinityMasksDiffer ? 0 : visited));
    if (input.affinityMasksDiffer) REQUIRE(count.packages == kPackagesWhenRestricted);
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    CheckEntryPoint(bytes);
    CheckWalk(bytes);
    CheckProcessors(bytes, CountFrom(bytes));
    (void)ParseNumberAfterKeyword(std::string_view(reinterpret_cast<const char*>(data), size),
                                  kProcKeyword);
    return 0;
}
