// The SMBIOS table and the processor list under Wine: the health driver is absent there, so
// the table comes from the Windows SMBIOS class that the norvwmi stand-in serves from the
// platform descriptions. (The table's parsing is the core's; here only where it comes from.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/processor_info_win.h"
#include "platform/smbios_table_win.h"
#include "platform/wmi_health_data_source.h"
#include "stand_in_wmi.h"

namespace norv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A platform whose root\wmi lacks the Windows SMBIOS class.
std::shared_ptr<norvwmi::ServedNamespaces> PlatformWithoutSmbiosClass() {
    return test::PlatformText(
        "no-smbios.mof",
        "#pragma namespace(\"root\\\\norvwmi\")\ninstance of Norvwmi_AbsentClass\n"
        "{ Namespace = \"root\\\\wmi\"; ClassName = \"MSSmBios_RawSMBiosTables\"; };\n");
}

class SmbiosTableUnderWine : public test::StandInSuite<> {};

TEST_F(SmbiosTableUnderWine, TheWindowsClassGivesTheTableWithoutTheHealthDriver) {
    EXPECT_FALSE(OpenHealthDriver());
    Bytes buffer(16, 0xA5);
    EXPECT_FALSE(ReadPhysicalMemory(0xF0000, buffer));
    EXPECT_EQ(buffer, Bytes(16, 0xA5));
    WindowsSmbiosMachine machine;
    EXPECT_FALSE(machine.DriverPresent());
    EXPECT_FALSE(machine.ReadPhysicalMemory(0xF0000, 16));

    wmi_->Serve(test::DefaultPlatformNamespaces());
    SmbiosTable table;
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_FALSE(table.FindStructure(kProcessorStructureType, 0, kProcessorCopyLength));
    ASSERT_TRUE(table.Load());
    EXPECT_TRUE(table.IsLoaded());
    ASSERT_EQ(table.Contents()->size(), 220u);  // exactly the Size the object gives
    const std::optional<SmbiosStructure> second =
        table.FindStructure(kProcessorStructureType, 1, kProcessorCopyLength);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->strings,
              (std::vector<std::string>{"", "Proc 2", "Intel",
                                        "Intel(R) Xeon(R) CPU E5-2620 0 @ 2.00GHz"}));
    const std::string_view driverAbsent[] = {test::kShippedClasses, test::kHealthClasses,
                                             test::kHostDirectives, "platforms/driver-absent.mof"};
    wmi_->Serve(test::LoadNamespaces(driverAbsent));
    ASSERT_TRUE(table.Load());
    EXPECT_EQ(table.Contents()->size(), 220u);
}

TEST_F(SmbiosTableUnderWine, AReloadThatFindsNoTableDropsTheOldOneAndContentsKeepsAHeldOne) {
    wmi_->Serve(test::DefaultPlatformNamespaces());
    SmbiosTable held;
    ASSERT_TRUE(held.Contents()) << "Contents loads when no table is held";
    EXPECT_TRUE(held.IsLoaded());
    SmbiosTable table;
    ASSERT_TRUE(table.Load());
    wmi_->Serve(PlatformWithoutSmbiosClass());
    EXPECT_FALSE(table.Load());
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_FALSE(table.FindStructure(kProcessorStructureType, 0, kProcessorCopyLength));
    EXPECT_FALSE(table.Contents());
    ASSERT_TRUE(held.Contents()) << "held: served no more, the table stays until the next Load";
    EXPECT_EQ(held.Contents()->size(), 220u);

    // An object whose Size is 0 gives no table.
    wmi_->Serve(test::PlatformText(
        "empty-smbios.mof",
        "#pragma namespace(\"root\\\\wmi\")\ninstance of MSSmBios_RawSMBiosTables\n"
        "{ InstanceName = \"SMBiosData_0\"; Active = TRUE; Size = 0;\n"
        "  SMBiosData = { 0x7F, 0x04, 0x00, 0x7F, 0x00, 0x00 }; };\n"));
    EXPECT_FALSE(table.Load());
    EXPECT_FALSE(table.IsLoaded());
}

TEST_F(SmbiosTableUnderWine, TheProcessorListNamesTheSocketsOfWin32Processor) {
    wmi_->Serve(test::DefaultPlatformNamespaces());
    SmbiosTable table;
    WindowsSmbiosMachine machine;
    const ProcessorInfo info = WindowsProcessorInfoSource(table, machine).Read();
    ASSERT_EQ(info.status, ProcessorInfoStatus::Complete);
    ASSERT_GE(info.entries.size(), 2u);
    // The sockets in table order come first, then the further logical processors of each,
    // each a copy of its socket's data.
    for (std::size_t socket = 0; socket < 2; ++socket) {
        EXPECT_EQ(info.entries[socket].oemProcessor[kOemApicIdOffset], socket * 0x20);
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
    // The process's table is the one the default source reads, even after the class is gone.
    ASSERT_TRUE(ProcessSmbiosTable().Load());
    wmi_->Serve(PlatformWithoutSmbiosClass());
    EXPECT_EQ(WindowsProcessorInfoSource().Read().structures.size(), 2u);
    SmbiosTable fresh;
    EXPECT_EQ(WindowsProcessorInfoSource(fresh, machine).Read().status,
              ProcessorInfoStatus::NoTable);
    EXPECT_FALSE(ProcessSmbiosTable().Load());
    EXPECT_EQ(WindowsProcessorInfoSource().Read().status, ProcessorInfoStatus::NoTable);
}

}  // namespace
}  // namespace norv
