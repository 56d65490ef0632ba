// What is particular to the LogRecord, RecordLog and HealthCondition providers of the built
// module: the trace line, each condition found by its key. (Their records, numbering,
// summary, an empty log and lookups are in the golden outputs and the norvwmi program test,
// the key rules in the core, the key rules' use and the lock order in the protocol suite.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eventlog/record_log_provider.h"
#include "log_test_support.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

const std::string kTraceLine = "in create instance\n";

class LogProviderTest : public StandInSuite<> {
protected:
    static void SetUpTestSuite() {
        StandInSuite::SetUpTestSuite();
        wmi_->Serve(PlatformOf(kDefaultPlatformName));
        AgeTheCaches();
    }
    void SetUp() override {
        StandInSuite::SetUp();
        logRecords_ = wmi_->InitializedProvider(ProviderClassNamed("NorvLogRecordProv"));
        recordLog_ = wmi_->InitializedProvider(ProviderClassNamed("NorvRecordLogProv"));
        ASSERT_TRUE(logRecords_ && recordLog_);
    }

    ComPtr<IWbemServices> logRecords_;
    ComPtr<IWbemServices> recordLog_;
};

// (Each call appending one line is the enumeration case below.)
TEST(RecordLogTrace, AnUnwritableLocationIsIgnored) {
    const std::string path = TempDirectory() + UniqueName("NoSuchFolder") + "\\trace.txt";
    win::AppendRecordLogTrace(path.c_str());
    EXPECT_FALSE(FileExists(path));
}

TEST_F(LogProviderTest, EveryRecordLogEnumerationLeavesATraceLineWhateverItsOutcome) {
    const std::string trace = "c:\\recordLogProv.txt";
    const std::string before = ReadFileBytes(trace);
    EXPECT_EQ(Enumerate(recordLog_.get(), NewSink().get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(Enumerate(recordLog_.get(), nullptr), kWbemInvalidParameter);
    EXPECT_EQ(Enumerate(recordLog_.get(), NewSink().get(), ClientLevel::Identify),
              kWbemAccessDenied);
    // Records are not traced.
    EXPECT_EQ(Enumerate(logRecords_.get(), NewSink().get()), WBEM_S_NO_ERROR);
    // The norvwmi program tests, which trace into the same Wine prefix, never run meanwhile
    // (a ctest resource lock): exactly the three RecordLog enumerations left a line.
    EXPECT_EQ(ReadFileBytes(trace), before + kTraceLine + kTraceLine + kTraceLine);
}

// Every condition the enumeration shows is the one its InstanceID names; a key no condition
// has, or none, names nothing.
TEST_F(LogProviderTest, EachConditionIsTheOneItsKeyNames) {
    const auto conditions =
        wmi_->InitializedProvider(ProviderClassNamed("NorvHealthConditionProv"));
    ASSERT_TRUE(conditions);
    const auto enumerated = Enumerated(conditions.get());
    ASSERT_FALSE(enumerated.empty()) << "the default log leaves conditions active";
    for (const auto& condition : enumerated) {
        const std::wstring key = StringOf(condition.get(), L"InstanceID");
        const auto found = Found(conditions.get(), L"HealthCondition.InstanceID=\"" + key + L"\"");
        ASSERT_TRUE(found) << testing::PrintToString(key);
        EXPECT_EQ(found->CompareTo(0, condition.get()), WBEM_S_SAME);
    }
    ExpectNotFound(conditions.get(), L"HealthCondition.InstanceID=\"9.9.9/FanDegraded\"");
    EXPECT_EQ(Get(conditions.get(), L"HealthCondition", NewSink().get()), kWbemInvalidParameter);
}

}  // namespace
}  // namespace norv::test
