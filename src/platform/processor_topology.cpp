#include "platform/processor_topology.h"

#include "platform/socket_designation.h"

namespace norv {
namespace {

unsigned LowBits(unsigned value, unsigned width) {
    return width >= 32 ? value : value & ((1u << width) - 1u);
}

std::uint8_t Byte(unsigned value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

unsigned LogicalPerPackageField(const CpuidIdentity& cpuid) {
    return (cpuid.leaf1Ebx >> kLogicalPerPackageShift) & 0xFFu;
}

// The share of processors that sit in the first one's package (the first included).
unsigned CountInFirstPackage(const std::vector<TopologyRecord>& topology) {
    unsigned count = 1;
    for (std::size_t i = 1; i < topology.size(); ++i)
        count += topology[i].packageId == topology[0].packageId;
    return count;
}

void CountWithoutHyperThreading(const ProcessorCountInput& input, ProcessorCount& count) {
    const unsigned maxCores = MaxCoresPerPackage(input.cpuid);
    if (maxCores == 1) {
        for (const std::uint8_t apicId : input.initialApicIds)
            count.topology.push_back({apicId, apicId, 0, 0});
        count.status = ProcessorCountStatus::SingleCore;
        return;
    }
    const unsigned coreWidth = IdWidth(maxCores);
    for (const std::uint8_t apicId : input.initialApicIds) {
        const std::uint8_t coreId = Byte(LowBits(apicId, coreWidth));
        count.topology.push_back({apicId, Byte(apicId >> coreWidth), coreId, coreId});
    }
    count.coresPerPackage = Byte(CountInFirstPackage(count.topology));
    if (count.coresPerPackage > 1) {
        count.packages = Byte(count.packages / count.coresPerPackage);
        count.status = ProcessorCountStatus::MultiCore;
    } else {
        count.status = ProcessorCountStatus::MultiCoreCapableOneCoreFound;
    }
}

void CountWithHyperThreading(const ProcessorCountInput& input, ProcessorCount& count) {
    const unsigned maxCores = MaxCoresPerPackage(input.cpuid);  // at least 1 for Intel
    unsigned logicalPerPackage = LogicalPerPackageField(input.cpuid);
    if (logicalPerPackage == 0) logicalPerPackage = maxCores != 0 ? maxCores : 1;
    const unsigned maxLogicalPerCore = Byte(logicalPerPackage / maxCores);
    const unsigned logicalWidth = IdWidth(maxLogicalPerCore);
    const unsigned coreWidth = IdWidth(maxCores);
    for (const std::uint8_t apicId : input.initialApicIds) {
        count.topology.push_back({apicId, Byte(apicId >> (logicalWidth + coreWidth)),
                                  Byte(LowBits(apicId, logicalWidth + coreWidth) >> logicalWidth),
                                  Byte(LowBits(apicId, logicalWidth))});
    }
    unsigned samePackage = 1;
    unsigned sameCore = 1;
    for (std::size_t i = 1; i < count.topology.size(); ++i) {
        if (count.topology[i].packageId != count.topology[0].packageId) continue;
        ++samePackage;
        sameCore += count.topology[i].coreId == count.topology[0].coreId;
    }
    count.logicalPerCore = Byte(sameCore);
    // 256 processors of one core would wrap the 8-bit count to 0; a processor group has 64.
    count.coresPerPackage =
        count.logicalPerCore == 0 ? 0 : Byte(Byte(samePackage) / count.logicalPerCore);
    if (count.logicalPerCore > 1) {
        count.packages = Byte(count.packages / logicalPerPackage);
        count.status = count.coresPerPackage > 1 ? ProcessorCountStatus::HyperThreadingMultiCore
                                                 : ProcessorCountStatus::HyperThreadingSingleCore;
    } else if (count.coresPerPackage > 1) {
        count.packages = Byte(count.packages / count.coresPerPackage);
        count.status = ProcessorCountStatus::HyperThreadingCapableMultiCoreOneThread;
    } else {
        count.status = ProcessorCountStatus::HyperThreadingCapableSingleCoreOneThread;
    }
}

// Entries whose OEM APIC id names no visited processor keep zero topology and take no
// copies: their package is not known.
void AssignTopology(std::vector<ProcessorEntry>& entries, const ProcessorCount& count) {
    if (count.status == ProcessorCountStatus::SingleCore &&
        entries.size() == count.topology.size()) {
        for (std::size_t k = 0; k < entries.size(); ++k) entries[k].topology = count.topology[k];
        return;
    }
    std::vector<bool> matched(entries.size(), false);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        for (const TopologyRecord& record : count.topology) {
            if (record.apicId != entries[k].oemProcessor[kOemApicIdOffset]) continue;
            entries[k].topology = record;
            matched[k] = true;
        }
    }
    const std::size_t sockets = entries.size();
    for (std::size_t k = 0; k < sockets; ++k) {
        if (!matched[k]) continue;
        for (const TopologyRecord& record : count.topology) {
            if (record.apicId == entries[k].oemProcessor[kOemApicIdOffset] ||
                record.packageId != entries[k].topology.packageId)
                continue;
            ProcessorEntry sibling = entries[k];
            sibling.topology = record;
            entries.push_back(std::move(sibling));
        }
    }
}

const ProcessorStructure* PopulatedSocket(const std::vector<ProcessorStructure>& structures,
                                          std::size_t ordinal) {
    for (const ProcessorStructure& socket : structures) {
        if (!socket.Populated()) continue;
        if (ordinal-- == 0) return &socket;
    }
    return nullptr;
}

}  // namespace

bool IsHyperThreadingCapable(const CpuidIdentity& cpuid) {
    return cpuid.vendor == kIntelVendor && (cpuid.leaf1Edx & kHyperThreadingBit) != 0;
}

unsigned MaxCoresPerPackage(const CpuidIdentity& cpuid) {
    if (cpuid.vendor == kIntelVendor && cpuid.maxLeaf >= 4)
        return ((cpuid.leaf4Eax >> kCoresPerPackageShift) & 0x3Fu) + 1;
    if (cpuid.vendor == kAmdVendor && (cpuid.leaf1Edx & kHyperThreadingBit) != 0)
        return LogicalPerPackageField(cpuid);
    return 1;
}

unsigned IdWidth(unsigned count) {
    unsigned width = 0;
    while (width < 32 && (1ull << width) < count) ++width;
    return width;
}

ProcessorCount CountProcessors(const ProcessorCountInput& input) {
    ProcessorCount count;
    count.packages = Byte(input.reportedProcessors);
    const bool hyperThreading = IsHyperThreadingCapable(input.cpuid);
    if (input.affinityMasksDiffer) {
        count.packages = kPackagesWhenRestricted;
        count.status = hyperThreading
                           ? ProcessorCountStatus::AffinityRestrictedHyperThreadingCapable
                           : ProcessorCountStatus::AffinityRestricted;
        return count;
    }
    if (hyperThreading)
        CountWithHyperThreading(input, count);
    else
        CountWithoutHyperThreading(input, count);
    return count;
}

ProcessorInfo GetProcessorInfo(std::optional<std::span<const std::uint8_t>> table,
                               const std::function<ProcessorCount()>& countProcessors) {
    ProcessorInfo info;
    if (!table) {
        info.status = ProcessorInfoStatus::NoTable;
        return info;
    }
    info.structures = CollectProcessorStructures(*table);
    for (const ProcessorStructure& socket : info.structures) {
        if (!socket.Populated()) continue;
        const std::optional<OemProcessorBytes> oem = FindOemProcessor(*table, socket.Handle());
        if (!oem) {
            info.status = ProcessorInfoStatus::MissingOemRecord;
            return info;
        }
        info.entries.push_back({socket.bytes, socket.strings, *oem, {}});
    }
    AssignTopology(info.entries, countProcessors());
    info.status = ProcessorInfoStatus::Complete;
    return info;
}

ProcessorKey ProcessorKeyOf(const ProcessorInfo& info, std::size_t index) {
    ProcessorKey key;
    if (info.status == ProcessorInfoStatus::Complete && index < info.entries.size()) {
        const OemProcessorBytes& oem = info.entries[index].oemProcessor;
        if (oem[kOemSlotOffset] != kOemNumberNotGiven) key.slot = oem[kOemSlotOffset];
        if (oem[kOemProcOffset] != kOemNumberNotGiven) key.proc = oem[kOemProcOffset];
        return key;
    }
    if (info.status == ProcessorInfoStatus::NoTable) return key;
    const ProcessorStructure* socket = PopulatedSocket(info.structures, index);
    if (socket == nullptr) return key;
    const std::string designation =
        GetSocketString(socket->SocketDesignationNumber(), socket->strings);
    key.slot = ParseNumberAfterKeyword(designation, kSlotKeyword).value_or(0);
    key.proc = ParseNumberAfterKeyword(designation, kProcKeyword).value_or(0);
    return key;
}

}  // namespace norv
