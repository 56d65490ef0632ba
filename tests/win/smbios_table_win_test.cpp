// The SMBIOS table and the processor list under Wine: the health driver is absent there, so
// the table comes from the Windows SMBIOS class that the norvwmi stand-in serves from the
// platform descriptions.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/platform_loading.h"
#include "platform/processor_info_win.h"
#include "platform/smbios_table_win.h"
#include "platform/wmi_health_data_source.h"
#include "repository/mof_error.h"
#include "stand_in_wmi.h"

namespace norv {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kProcessorVersion = "Intel(R) Xeon(R) CPU E5-2620 0 @ 2.00GHz";

// The namespaces of a platform description, loaded as the norvwmi program loads it.
std::shared_ptr<norvwmi::ServedNamespaces> PlatformOf(const std::string& name,
                                                      const std::string& text) {
    auto loaded = norvwmi::LoadPlatform(norvwmi::MofFile{name, text}, "NORVTEST");
    if (const auto* error = std::get_if<norvwmi::MofError>(&loaded)) {
        ADD_FAILURE() << norvwmi::FormatMofError(*error);
        return nullptr;
    }
    return std::get<norvwmi::Platform>(loaded).served;
}

std::shared_ptr<norvwmi::ServedNamespaces> DriverAbsentPlatform() {
    return test::LoadNamespaces(
        std::vector<std::string_view>{test::kShippedClasses, test::kHealthClasses,
                                      test::kHostDirectives, "platforms/driver-absent.mof"});
}

// A platform whose root\wmi lacks the Windows SMBIOS class.
std::shared_ptr<norvwmi::ServedNamespaces> PlatformWithoutSmbiosClass() {
    return PlatformOf(
        "no-smbios.mof",
        "#pragma namespace(\"root\\\\norvwmi\")\n"
        "instance of Norvwmi_AbsentClass\n"
        "{ Namespace = \"root\\\\wmi\"; ClassName = \"MSSmBios_RawSMBiosTables\"; };\n");
}

// A platform whose SMBIOS object says Size 0.
std::shared_ptr<norvwmi::ServedNamespaces> PlatformWithEmptySmbiosObject() {
    return PlatformOf("empty-smbios.mof",
                      "#pragma namespace(\"root\\\\wmi\")\n"
                      "instance of MSSmBios_RawSMBiosTables\n"
                      "{ InstanceName = \"SMBiosData_0\"; Active = TRUE; Size = 0;\n"
                      "  SMBiosData = { 0x7F, 0x04, 0x00, 0x7F, 0x00, 0x00 }; };\n");
}

class SmbiosTableUnderWine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(wmi_.Problem(), ""); }

    test::StandInWmi wmi_;
};

TEST_F(SmbiosTableUnderWine, TheHealthDriverIsAbsent) {
    EXPECT_FALSE(OpenHealthDriver());
    Bytes buffer(16, 0xA5);
    EXPECT_FALSE(ReadPhysicalMemory(0xF0000, buffer));
    EXPECT_EQ(buffer, Bytes(16, 0xA5));
    WindowsSmbiosMachine machine;
    EXPECT_FALSE(machine.DriverPresent());
    EXPECT_FALSE(machine.ReadPhysicalMemory(0xF0000, 16));
}

TEST_F(SmbiosTableUnderWine, WindowsClassGivesTheDefaultPlatformsTable) {
    SmbiosTable table;
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_FALSE(table.FindStructure(kProcessorStructureType, 0, kProcessorCopyLength));
    ASSERT_TRUE(table.Load());
    EXPECT_TRUE(table.IsLoaded());

    const std::optional<Bytes> contents = table.Contents();
    ASSERT_TRUE(contents);
    ASSERT_EQ(contents->size(), 220u);
    // Two sockets, each followed by its vendor record, and the end of the table, which ends
    // exactly where Size says.
    std::vector<std::uint8_t> types;
    SmbiosStructureWalker walker(*contents);
    std::size_t end = 0;
    while (const std::optional<SmbiosStructureView> structure = walker.Next()) {
        types.push_back(structure->Type());
        end = static_cast<std::size_t>(structure->stringSet.data() + structure->stringSet.size() -
                                       contents->data()) +
              2;
    }
    EXPECT_EQ(types, (std::vector<std::uint8_t>{4, 197, 4, 197, 127}));
    EXPECT_EQ(end, contents->size());

    const std::optional<SmbiosStructure> second =
        table.FindStructure(kProcessorStructureType, 1, kProcessorCopyLength);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->formatted.size(), 40u);
    EXPECT_EQ(second->formatted[kProcessorStatusOffset] & kSocketPopulatedBit, kSocketPopulatedBit);
    EXPECT_EQ(second->strings,
              (std::vector<std::string>{"", "Proc 2", "Intel", kProcessorVersion}));
    const std::optional<SmbiosStructure> oem =
        table.FindStructure(kOemProcessorStructureType, 1, kOemProcessorCopyLength);
    ASSERT_TRUE(oem);
    EXPECT_EQ(oem->formatted, (Bytes{0xC5, 0x0A, 0x01, 0xC5, 0x01, 0x04, 0x20, 0x00, 0xFF, 0x02}));
    EXPECT_EQ(oem->strings, std::vector<std::string>{""});
}

TEST_F(SmbiosTableUnderWine, WithoutTheDriverTheWindowsClassStillServes) {
    wmi_.Serve(DriverAbsentPlatform());
    SmbiosTable table;
    ASSERT_TRUE(table.Load());
    EXPECT_EQ(table.Contents()->size(), 220u);
}

TEST_F(SmbiosTableUnderWine, AReloadThatFindsNoTableDropsTheOldOne) {
    SmbiosTable table;
    ASSERT_TRUE(table.Load());
    wmi_.Serve(PlatformWithoutSmbiosClass());
    EXPECT_FALSE(table.Load());
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_FALSE(table.FindStructure(kProcessorStructureType, 0, kProcessorCopyLength));
    EXPECT_FALSE(table.Contents());
}

TEST_F(SmbiosTableUnderWine, AnObjectOfSizeZeroGivesNoTable) {
    wmi_.Serve(PlatformWithEmptySmbiosObject());
    SmbiosTable table;
    EXPECT_FALSE(table.Load());
    EXPECT_FALSE(table.IsLoaded());
}

TEST_F(SmbiosTableUnderWine, ContentsLoadsWhenNoTableIsHeldAndKeepsItAfterwards) {
    SmbiosTable table;
    ASSERT_TRUE(table.Contents());
    EXPECT_TRUE(table.IsLoaded());
    // Held: served no more, the table stays until the next Load.
    wmi_.Serve(PlatformWithoutSmbiosClass());
    const std::optional<Bytes> contents = table.Contents();
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->size(), 220u);
}

TEST_F(SmbiosTableUnderWine, ProcessorListNamesTheSocketsOfWin32Processor) {
    SmbiosTable table;
    WindowsSmbiosMachine machine;
    WindowsProcessorInfoSource source(table, machine);
    const ProcessorInfo info = source.Read();
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    ASSERT_GE(info.entries.size(), 2u);

    // The sockets in table order come first, then the further logical processors of each,
    // each a copy of its socket's data.
    const std::uint8_t apicIds[] = {0x00, 0x20};
    for (std::size_t socket = 0; socket < 2; ++socket) {
        const ProcessorEntry& entry = info.entries[socket];
        EXPECT_EQ(entry.oemProcessor[kOemApicIdOffset], apicIds[socket]);
        EXPECT_EQ(entry.oemProcessor[kOemSlotOffset], kOemNumberNotGiven);
        EXPECT_EQ(entry.oemProcessor[kOemProcOffset], socket + 1);
        EXPECT_EQ(ProcessorKeyOf(info, socket),
                  (ProcessorKey{0, static_cast<std::uint8_t>(socket + 1)}));
    }
    for (std::size_t k = 2; k < info.entries.size(); ++k) {
        const ProcessorEntry& sibling = info.entries[k];
        EXPECT_TRUE(sibling.oemProcessor == info.entries[0].oemProcessor ||
                    sibling.oemProcessor == info.entries[1].oemProcessor)
            << k;
        EXPECT_NE(sibling.topology.apicId, sibling.oemProcessor[kOemApicIdOffset]) << k;
    }

    // Windows' processor objects name the same sockets, in the same order.
    WmiHealthDataSource wmi;
    const HealthObjectList processors = wmi.Query("root\\CIMv2", "SELECT * FROM Win32_Processor");
    ASSERT_EQ(processors.size(), 2u);
    for (std::size_t socket = 0; socket < 2; ++socket) {
        std::string designation;
        ASSERT_TRUE(wmi.ReadString(*processors[socket], "SocketDesignation", designation));
        const ProcessorEntry& entry = info.entries[socket];
        EXPECT_EQ(designation,
                  GetSocketString(entry.processor[kSocketDesignationOffset], entry.strings));
    }
}

TEST_F(SmbiosTableUnderWine, ProcessorListWithoutATableIsEmpty) {
    wmi_.Serve(PlatformWithoutSmbiosClass());
    SmbiosTable table;
    WindowsSmbiosMachine machine;
    const ProcessorInfo info = WindowsProcessorInfoSource(table, machine).Read();
    EXPECT_EQ(info.status, ProcessorInfoStatus::NoTable);
    EXPECT_TRUE(info.entries.empty());
}

TEST_F(SmbiosTableUnderWine, TheProcessTableIsTheOneTheDefaultSourceReads) {
    ASSERT_TRUE(ProcessSmbiosTable().Load());
    // The default platform's table is now held; a source of this process reads it even
    // after the class is gone.
    wmi_.Serve(PlatformWithoutSmbiosClass());
    const ProcessorInfo info = WindowsProcessorInfoSource().Read();
    EXPECT_EQ(info.status, ProcessorInfoStatus::Complete);
    EXPECT_EQ(info.structures.size(), 2u);
    EXPECT_FALSE(ProcessSmbiosTable().Load());
    EXPECT_EQ(WindowsProcessorInfoSource().Read().status, ProcessorInfoStatus::NoTable);
}

}  // namespace
}  // namespace norv
