// Which socket each logical processor sits in: the package, core and logical ids that the
// initial APIC ids encode (counted with CPUID leaves 0, 1 and 4 on each processor in turn),
// matched against the populated processor sockets of the SMBIOS table and the platform
// vendor's OEM processor structures.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/smbios_table.h"

namespace norv {

struct TopologyRecord {
    std::uint8_t apicId = 0;  // initial APIC id, CPUID leaf 1 EBX bits 31..24
    std::uint8_t packageId = 0;
    std::uint8_t coreId = 0;
    std::uint8_t logicalId = 0;

    friend bool operator==(const TopologyRecord&, const TopologyRecord&) = default;
};

// CPUID as read on the processor that runs the count.
struct CpuidIdentity {
    std::string vendor;         // leaf 0 EBX, EDX, ECX: "GenuineIntel", "AuthenticAMD", ...
    std::uint32_t maxLeaf = 0;  // leaf 0 EAX
    std::uint32_t leaf1Ebx = 0;
    std::uint32_t leaf1Edx = 0;
    std::uint32_t leaf4Eax = 0;  // leaf 4 with ECX = 0; only read when maxLeaf >= 4
};

inline constexpr std::string_view kIntelVendor = "GenuineIntel";
inline constexpr std::string_view kAmdVendor = "AuthenticAMD";
inline constexpr std::uint32_t kHyperThreadingBit = 1u << 28;  // leaf 1 EDX
inline constexpr unsigned kApicIdShift = 24;                   // leaf 1 EBX
inline constexpr unsigned kLogicalPerPackageShift = 16;        // leaf 1 EBX, 8 bits
inline constexpr unsigned kCoresPerPackageShift = 26;          // leaf 4 EAX, 6 bits, minus 1

// What the count needs from the machine. The Windows side reads the affinity masks and, when
// they are equal, pins the process to each processor of the system mask from the lowest bit
// and runs CPUID leaf 1 there.
struct ProcessorCountInput {
    CpuidIdentity cpuid;
    std::uint32_t reportedProcessors = 0;      // as GetSystemInfo reports them
    bool affinityMasksDiffer = false;          // the process may not run on every processor
    std::vector<std::uint8_t> initialApicIds;  // one per processor visited, in visiting order
};

enum class ProcessorCountStatus : std::uint8_t {
    MultiCoreCapableOneCoreFound = 0,
    HyperThreadingSingleCore = 1,
    HyperThreadingCapableSingleCoreOneThread = 2,
    SingleCore = 4,  // no Hyper-Threading, one core per package: ids taken as they are
    MultiCore = 5,
    HyperThreadingMultiCore = 6,
    HyperThreadingCapableMultiCoreOneThread = 7,
    AffinityRestrictedHyperThreadingCapable = 8,
    AffinityRestricted = 9,
};

inline constexpr std::uint8_t kPackagesWhenRestricted = 255;

struct ProcessorCount {
    ProcessorCountStatus status = ProcessorCountStatus::SingleCore;
    std::uint8_t logicalPerCore = 1;
    std::uint8_t coresPerPackage = 1;
    std::uint8_t packages = 0;
    std::vector<TopologyRecord> topology;  // one per processor visited
};

// Hyper-Threading capable: GenuineIntel with leaf 1 EDX bit 28.
bool IsHyperThreadingCapable(const CpuidIdentity& cpuid);
// The most cores a package can hold: leaf 4 for Intel (max leaf >= 4), leaf 1 EBX bits
// 23..16 for AMD with EDX bit 28, else 1.
unsigned MaxCoresPerPackage(const CpuidIdentity& cpuid);
// Bits needed for the ids 0..count-1: the smallest w with 2^w >= count (0 for 0 and 1).
unsigned IdWidth(unsigned count);

ProcessorCount CountProcessors(const ProcessorCountInput& input);

// One logical processor with its socket's data.
struct ProcessorEntry {
    std::array<std::uint8_t, kProcessorCopyLength> processor{};
    std::vector<std::string> strings;  // of the type-4 structure, index 0 empty
    OemProcessorBytes oemProcessor{};
    TopologyRecord topology;
};

enum class ProcessorInfoStatus : std::uint8_t {
    Complete = 0,
    NoTable = 1,           // the SMBIOS table could not be loaded
    MissingOemRecord = 2,  // a populated socket has no OEM record; the sockets before it stay
};

struct ProcessorInfo {
    ProcessorInfoStatus status = ProcessorInfoStatus::NoTable;
    std::vector<ProcessorEntry> entries;
    std::vector<ProcessorStructure> structures;  // every type-4 structure, in table order
};

// The processor list from the structure table (nothing when it could not be loaded).
// countProcessors is called only once every populated socket has its OEM record.
ProcessorInfo GetProcessorInfo(std::optional<std::span<const std::uint8_t>> table,
                               const std::function<ProcessorCount()>& countProcessors);

// The numbers that key processor i's record in the event log, 0 where not known.
struct ProcessorKey {
    std::uint8_t slot = 0;
    std::uint8_t proc = 0;

    friend bool operator==(const ProcessorKey&, const ProcessorKey&) = default;
};

// From entry i's OEM bytes (0xFF = not given) when the list is complete and has an entry i;
// otherwise, when a table was loaded, from the designation ("SLOT n", "Proc n") of the
// populated socket whose ordinal among the populated sockets is i, if there is one.
ProcessorKey ProcessorKeyOf(const ProcessorInfo& info, std::size_t index);

}  // namespace norv
