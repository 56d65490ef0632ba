#include "platform/processor_count_win.h"

#include <windows.h>

#include <cpuid.h>

#include <cstdint>
#include <string>

namespace norv {
namespace {

struct CpuidRegisters {
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
};

CpuidRegisters Cpuid(unsigned leaf, unsigned subleaf = 0) {
    CpuidRegisters r;
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
    return r;
}

void AppendRegisterText(std::string& text, unsigned value) {
    for (int byte = 0; byte < 4; ++byte) text += static_cast<char>((value >> (8 * byte)) & 0xFFu);
}

std::uint8_t InitialApicIdHere() {
    return static_cast<std::uint8_t>(Cpuid(1).ebx >> kApicIdShift);
}

}  // namespace

CpuidIdentity ReadCpuidIdentity() {
    CpuidIdentity identity;
    const CpuidRegisters leaf0 = Cpuid(0);
    identity.maxLeaf = leaf0.eax;
    AppendRegisterText(identity.vendor, leaf0.ebx);
    AppendRegisterText(identity.vendor, leaf0.edx);
    AppendRegisterText(identity.vendor, leaf0.ecx);
    const CpuidRegisters leaf1 = Cpuid(1);
    identity.leaf1Ebx = leaf1.ebx;
    identity.leaf1Edx = leaf1.edx;
    if (identity.maxLeaf >= 4) identity.leaf4Eax = Cpuid(4, 0).eax;
    return identity;
}

ProcessorCountInput ReadProcessorCountInput() {
    ProcessorCountInput input;
    input.cpuid = ReadCpuidIdentity();
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    input.reportedProcessors = system.dwNumberOfProcessors;

    const HANDLE process = ::GetCurrentProcess();
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    if (!::GetProcessAffinityMask(process, &processMask, &systemMask) ||
        processMask != systemMask) {
        input.affinityMasksDiffer = true;
        return input;
    }
    for (DWORD_PTR bit = 1; bit != 0 && bit <= systemMask; bit <<= 1) {
        if ((systemMask & bit) == 0 || !::SetProcessAffinityMask(process, bit)) continue;
        // Gives up the processor so that the thread resumes on the one it is now pinned to.
        ::Sleep(0);
        input.initialApicIds.push_back(InitialApicIdHere());
    }
    ::SetProcessAffinityMask(process, systemMask);
    return input;
}

ProcessorCount CountProcessorsOnThisMachine() {
    return CountProcessors(ReadProcessorCountInput());
}

}  // namespace norv
