// The processor count on the machine the tests run on: CPUID as Windows reports it, every
// processor visited once, and the process's affinity mask as it was before.
#include <windows.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <set>

#include "platform/processor_count_win.h"
#include "platform/win_resource.h"

namespace norv {
namespace {

struct AffinityMasks {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
};

AffinityMasks CurrentMasks() {
    AffinityMasks masks;
    EXPECT_TRUE(::GetProcessAffinityMask(::GetCurrentProcess(), &masks.process, &masks.system));
    return masks;
}

unsigned ProcessorsIn(DWORD_PTR mask) {
    return static_cast<unsigned>(std::popcount(static_cast<std::uint64_t>(mask)));
}

// CPUID's vendor reads in the order EBX EDX ECX: what Windows itself says it is.
TEST(ProcessorCountOnThisMachine, CpuidVendorIsTheRegisteredOne) {
    const CpuidIdentity identity = ReadCpuidIdentity();
    EXPECT_GE(identity.maxLeaf, 1u);
    char vendor[64] = {};
    DWORD size = sizeof vendor;
    ASSERT_EQ(
        ::RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                       "VendorIdentifier", RRF_RT_REG_SZ, nullptr, vendor, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(identity.vendor, vendor);
}

TEST(ProcessorCountOnThisMachine, VisitsEveryProcessorOnceAndRestoresTheMask) {
    const AffinityMasks before = CurrentMasks();
    if (before.process != before.system) GTEST_SKIP() << "the test process is restricted";
    const ProcessorCountInput input = ReadProcessorCountInput();
    EXPECT_EQ(CurrentMasks().process, before.process);
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    EXPECT_EQ(input.reportedProcessors, system.dwNumberOfProcessors);
    EXPECT_FALSE(input.affinityMasksDiffer);
    ASSERT_EQ(input.initialApicIds.size(), ProcessorsIn(before.system));
    // Each visit ran on a processor of its own: no initial APIC id twice.
    const std::set<std::uint8_t> distinct(input.initialApicIds.begin(), input.initialApicIds.end());
    EXPECT_EQ(distinct.size(), input.initialApicIds.size());

    const ProcessorCount count = CountProcessors(input);
    EXPECT_EQ(count.topology.size(), input.initialApicIds.size());
    EXPECT_NE(count.packages, kPackagesWhenRestricted);
}

TEST(ProcessorCountOnThisMachine, ARestrictedProcessIsLeftAsItIs) {
    const AffinityMasks before = CurrentMasks();
    if (ProcessorsIn(before.system) < 2) GTEST_SKIP() << "one processor only";
    const DWORD_PTR lowest = before.system & (~before.system + 1);
    ASSERT_TRUE(::SetProcessAffinityMask(::GetCurrentProcess(), lowest));

    const ProcessorCountInput input = ReadProcessorCountInput();
    EXPECT_TRUE(input.affinityMasksDiffer);
    EXPECT_TRUE(input.initialApicIds.empty());
    const ProcessorCount count = CountProcessorsOnThisMachine();
    EXPECT_EQ(count.packages, kPackagesWhenRestricted);
    EXPECT_TRUE(count.topology.empty());
    EXPECT_EQ(count.status, IsHyperThreadingCapable(ReadCpuidIdentity())
                                ? ProcessorCountStatus::AffinityRestrictedHyperThreadingCapable
                                : ProcessorCountStatus::AffinityRestricted);
    EXPECT_EQ(CurrentMasks().process, lowest);
    // Only EXPECTs since the mask changed: this line is always reached.
    ::SetProcessAffinityMask(::GetCurrentProcess(), before.process);
}

}  // namespace
}  // namespace norv
