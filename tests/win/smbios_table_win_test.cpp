// The SMBIOS table and the processor list under Wine: the health driver is absent there, so
// the table comes from the Windows SMBIOS class that the norvwmi stand-in serves from the
// platform descriptions. (The table's parsing is the core's; the processors it names are in
// the golden outputs; here only where it comes from and when it is read again.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/processor_info_win.h"
#include "platform/smbios_table_win.h"
#include "stand_in_wmi.h"

namespace norv {
namespace {

// A platform whose root\wmi lacks the Windows SMBIOS class.
std::shared_ptr<norvwmi::ServedNamespaces> PlatformWithoutSmbiosClass() {
    return test::PlatformText(
        "no-smbios.mof",
        "#pragma namespace(\"root\\\\norvwmi\")\ninstance of Norvwmi_AbsentClass\n"
        "{ Namespace = \"root\\\\wmi\"; ClassName = \"MSSmBios_RawSMBiosTables\"; };\n");
}

class SmbiosTableUnderWine : public test::StandInSuite<> {};

TEST_F(SmbiosTableUnderWine, TheWindowsClassGivesTheTableWithoutTheHealthDriver) {
    std::vector<std::uint8_t> buffer(16, 0xA5);
    EXPECT_FALSE(OpenHealthDriver() || ReadPhysicalMemory(0xF0000, buffer));
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(16, 0xA5));
    wmi_->Serve(test::PlatformOf(test::kDefaultPlatformName));
    SmbiosTable held;
    ASSERT_TRUE(held.Contents()) << "Contents loads when no table is held";
    EXPECT_EQ(held.Contents()->size(), 220u);  // exactly the Size the object gives
    SmbiosTable table;
    EXPECT_FALSE(table.IsLoaded());
    ASSERT_TRUE(table.Load());
    ASSERT_TRUE(table.FindStructure(kProcessorStructureType, 1, kProcessorCopyLength));
    // A reload that finds no table drops the old one; a table held stays until its next Load.
    wmi_->Serve(PlatformWithoutSmbiosClass());
    EXPECT_FALSE(table.Load());
    EXPECT_FALSE(table.IsLoaded() || table.Contents());
    EXPECT_FALSE(table.FindStructure(kProcessorStructureType, 0, kProcessorCopyLength));
    ASSERT_TRUE(held.Contents());
    EXPECT_EQ(held.Contents()->size(), 220u);
    // An object whose Size is 0 gives no table.
    wmi_->Serve(test::PlatformText(
        "empty-smbios.mof",
        "#pragma namespace(\"root\\\\wmi\")\ninstance of MSSmBios_RawSMBiosTables\n"
        "{ InstanceName = \"SMBiosData_0\"; Active = TRUE; Size = 0;\n"
        "  SMBiosData = { 0x7F, 0x04, 0x00, 0x7F, 0x00, 0x00 }; };\n"));
    EXPECT_FALSE(table.Load());
}

// The default source reads the process's table, which stays after the class is gone.
TEST_F(SmbiosTableUnderWine, TheProcessorListReadsTheProcessTable) {
    wmi_->Serve(test::PlatformOf(test::kDefaultPlatformName));
    ASSERT_TRUE(ProcessSmbiosTable().Load());
    wmi_->Serve(PlatformWithoutSmbiosClass());
    const ProcessorInfo info = WindowsProcessorInfoSource().Read();
    EXPECT_EQ(info.status, ProcessorInfoStatus::Complete);
    EXPECT_EQ(info.structures.size(), 2u);
    SmbiosTable fresh;
    WindowsSmbiosMachine machine;
    EXPECT_FALSE(machine.DriverPresent());
    EXPECT_EQ(WindowsProcessorInfoSource(fresh, machine).Read().status,
              ProcessorInfoStatus::NoTable);
    EXPECT_FALSE(ProcessSmbiosTable().Load());
    EXPECT_EQ(WindowsProcessorInfoSource().Read().status, ProcessorInfoStatus::NoTable);
    wmi_->Serve(test::PlatformOf(test::kDefaultPlatformName));
}

}  // namespace
}  // namespace norv
