// What is particular to the RecordLog provider of the built module: its trace line. (The log
// providers' records, numbering, summary and lookups are in the golden outputs and the norvwmi
// program test, the key rules in the core, their use and the lock order in the protocol suite.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "eventlog/record_log_provider.h"
#include "log_test_support.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

// (Each call appending one line is the enumeration case below.)
TEST(RecordLogTrace, AnUnwritableLocationIsIgnored) {
    const std::string path = TempDirectory() + UniqueName("NoSuchFolder") + "\\trace.txt";
    win::AppendRecordLogTrace(path.c_str());
    EXPECT_FALSE(FileExists(path));
}

class LogProviderTest : public StandInSuite<> {};

TEST_F(LogProviderTest, EveryRecordLogEnumerationLeavesATraceLineWhateverItsOutcome) {
    wmi_->Serve(PlatformOf(kDefaultPlatformName));
    AgeTheCaches();
    const auto logRecords = wmi_->InitializedProvider(ProviderClassNamed("NorvLogRecordProv"));
    const auto recordLog = wmi_->InitializedProvider(ProviderClassNamed("NorvRecordLogProv"));
    ASSERT_TRUE(logRecords && recordLog);
    const std::string trace = "c:\\recordLogProv.txt";
    const std::string before = ReadFileBytes(trace);
    EXPECT_EQ(Enumerate(recordLog.get(), NewSink().get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(Enumerate(recordLog.get(), nullptr), kWbemInvalidParameter);
    EXPECT_EQ(Enumerate(recordLog.get(), NewSink().get(), ClientLevel::Identify),
              kWbemAccessDenied);
    // Records are not traced.
    EXPECT_EQ(Enumerate(logRecords.get(), NewSink().get()), WBEM_S_NO_ERROR);
    // The norvwmi program tests, which trace into the same Wine prefix, never run meanwhile
    // (a ctest resource lock): exactly the three RecordLog enumerations left a line.
    const std::string line = "in create instance\n";
    EXPECT_EQ(ReadFileBytes(trace), before + line + line + line);
}

}  // namespace
}  // namespace norv::test
