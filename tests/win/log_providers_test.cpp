// What is particular to the LogRecord and RecordLog providers of the built module: the five-key
// lookup, the trace line and the lock order. (Their records, numbering, summary and an empty
// log are in the golden outputs, ClearLog in the norvwmi program test, the key rules in the
// protocol suite.)
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

std::wstring LogRecordPath(const std::wstring& messageTimestamp, const std::wstring& recordId) {
    return L"LogRecord.CreationClassName=\"LogRecord\",LogCreationClassName=\"RecordLog\","
           L"LogName=\"IPMI SEL\",MessageTimestamp=\"" +
           messageTimestamp + L"\",RecordID=\"" + recordId + L"\"";
}

class LogProviderTest : public StandInSuite<> {
protected:
    static void SetUpTestSuite() {
        StandInSuite::SetUpTestSuite();
        wmi_->Serve(PlatformOf(kDefaultPlatformName));
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

}  // namespace
}  // namespace norv::test
