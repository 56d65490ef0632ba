// What is particular to the LogRecord and RecordLog providers of the built module (their
// texts are in the golden outputs, the key rules are the protocol suite's): records numbered
// in log order, the five-key lookup, the log's summary, ClearLog, the trace line, the lock order
// and an empty log; on platforms loaded as the norvwmi program loads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eventlog/record_log_provider.h"
#include "log_test_support.h"
#include "named_lock_probe.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

constexpr const wchar_t* kRecordLogPath =
    L"RecordLog.InstanceID=\"IPMI:IPMI Controller 0 SEL Log\"";
constexpr std::string_view kTraceLine = "in create instance\n";

std::wstring LogRecordPath(const std::wstring& messageTimestamp, const std::wstring& recordId) {
    return L"LogRecord.CreationClassName=\"LogRecord\",LogCreationClassName=\"RecordLog\","
           L"LogName=\"IPMI SEL\",MessageTimestamp=\"" +
           messageTimestamp + L"\",RecordID=\"" + recordId + L"\"";
}

class LogProviderTest : public StandInSuite<> {
protected:
    static void SetUpTestSuite() { ServePlatform("platforms/default.mof"); }
    static void ServePlatform(std::string_view platform) {
        StandInSuite::SetUpTestSuite();
        wmi_->Serve(PlatformOf(platform));
        AgeTheCaches();
    }
    void SetUp() override {
        StandInSuite::SetUp();
        logRecords_ = wmi_->InitializedProvider(ProviderClass::LogRecord);
        recordLog_ = wmi_->InitializedProvider(ProviderClass::RecordLog);
        ASSERT_TRUE(logRecords_ && recordLog_);
    }

    ComPtr<IWbemServices> logRecords_;
    ComPtr<IWbemServices> recordLog_;
};

TEST_F(LogProviderTest, RecordsComeInLogOrderNumberedFromOneAndTheLogSummarisesThem) {
    const auto records = Enumerated(logRecords_.get());
    ASSERT_GT(records.size(), 1u);
    std::wstring previousWallClock;
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(StringOf(records[i].get(), L"RecordID"), std::to_wstring(i + 1));
        // The default platform logged its events in time order; the offset may differ
        // between summer and winter, the wall-clock digits do not go back.
        const std::wstring wallClock =
            StringOf(records[i].get(), L"MessageTimestamp").substr(0, 14);
        EXPECT_LE(previousWallClock, wallClock) << i;
        previousWallClock = wallClock;
    }
    const auto logs = Enumerated(recordLog_.get());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(StringOf(logs[0].get(), L"CurrentNumberOfRecords"), std::to_wstring(records.size()));
    EXPECT_EQ(StringOf(logs[0].get(), L"TimeOfLastStateChange"),
              StringOf(records.back().get(), L"MessageTimestamp"));
}

// The last record is found too (the protocol suite looks up the first), and the five keys
// must name one record: the first record's number with another record's time is nothing.
TEST_F(LogProviderTest, ARecordIsFoundByTheFiveKeysOfOneRecord) {
    const auto records = Enumerated(logRecords_.get());
    ASSERT_GE(records.size(), 2u);
    EXPECT_TRUE(Found(logRecords_.get(), StringOf(records.back().get(), L"__RELPATH")));
    const std::wstring first = StringOf(records.front().get(), L"MessageTimestamp");
    std::wstring another;
    for (const std::wstring& timestamp : StringsOf(records, L"MessageTimestamp")) {
        if (timestamp != first) another = timestamp;
    }
    ASSERT_FALSE(another.empty()) << "the default log has events at different times";
    ExpectNotFound(logRecords_.get(), LogRecordPath(another, L"1"));
    ExpectNotFound(logRecords_.get(), LogRecordPath(first, std::to_wstring(records.size() + 1)));
}

TEST_F(LogProviderTest, ClearLogInAnyCaseReportsOneAndKeepsTheRecords) {
    const auto before = Enumerated(logRecords_.get());
    ASSERT_FALSE(before.empty());
    for (const wchar_t* method : {L"ClearLog", L"clearlog", L"CLEARLOG"}) {
        const auto sink = NewSink();
        ASSERT_EQ(Exec(recordLog_.get(), kRecordLogPath, method, sink.get()), WBEM_S_NO_ERROR);
        EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
        const auto events = sink->Events();
        ASSERT_EQ(events.size(), 2u);
        ASSERT_EQ(events[0].objects.size(), 1u);
        win::UniqueVariant returned;
        ASSERT_EQ(events[0].objects[0]->Get(L"ReturnValue", 0, returned.put(), nullptr, nullptr),
                  S_OK);
        EXPECT_EQ(V_VT(&returned), VT_I4);
        EXPECT_EQ(V_I4(&returned), 1);
        EXPECT_EQ(events[1].result, WBEM_S_NO_ERROR);
    }
    AgeTheCaches();
    const auto after = Enumerated(logRecords_.get());
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i]->CompareTo(0, before[i].get()), WBEM_S_SAME) << i;
    }
}

TEST(RecordLogTrace, EachCallAppendsOneLineAndAnUnwritableLocationIsIgnored) {
    const TempFile trace("RecordLogTrace");
    for (int i = 0; i < 3; ++i) win::AppendRecordLogTrace(trace.Path().c_str());
    EXPECT_EQ(ReadFileBytes(trace.Path()),
              std::string(kTraceLine) + std::string(kTraceLine) + std::string(kTraceLine));
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
    const std::string added = before.size() <= ReadFileBytes(trace).size()
                                  ? ReadFileBytes(trace).substr(before.size())
                                  : "<shorter>";
    EXPECT_EQ(ReadFileBytes(trace).substr(0, before.size()), before);
    EXPECT_EQ(added, std::string(kTraceLine) + std::string(kTraceLine) + std::string(kTraceLine));
}

// A second process holds the sensor cache's lock while the event log is stale: a LogRecord
// enumeration waits for it, holding its provider's lock and the event log's lock meanwhile
// (provider lock, then Norv_SEL_Access, then Norv_SDR_Access), and completes once it is free.
TEST_F(LogProviderTest, ALogRecordEnumerationTakesProviderThenEventLogThenSensorLock) {
    AgeTheCaches();
    const auto sink = NewSink();
    const HRESULT result = RequestWhileAnotherProcessHolds(
        "Norv_SDR_Access", {LockNameOf(ProviderClass::LogRecord), "Global\\wmi_Norv_SEL_Access"},
        [&] { return Enumerate(logRecords_.get(), sink.get()); });
    EXPECT_EQ(result, WBEM_S_NO_ERROR);
    EXPECT_FALSE(sink->Objects().empty());
    EXPECT_EQ(CompletionProblems(result, *sink.get()), "");
}

// A management log that was just cleared.
class EmptyLogProviderTest : public LogProviderTest {
protected:
    static void SetUpTestSuite() { ServePlatform("platforms/log-empty.mof"); }
};

TEST_F(EmptyLogProviderTest, NoRecordsAndALogWithoutALastChange) {
    EXPECT_TRUE(Enumerated(logRecords_.get()).empty());
    const auto logs = Enumerated(recordLog_.get());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(StringOf(logs.front().get(), L"CurrentNumberOfRecords"), L"0");
    EXPECT_TRUE(IsNull(logs.front().get(), L"TimeOfLastStateChange"));
    EXPECT_TRUE(Found(recordLog_.get(), kRecordLogPath));
    ExpectNotFound(logRecords_.get(), LogRecordPath(L"00000000000000.000000+000", L"1"));
}

}  // namespace
}  // namespace norv::test
