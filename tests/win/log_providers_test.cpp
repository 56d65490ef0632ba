// The LogRecord and RecordLog providers of the built module, as WMI drives them, on platforms
// loaded as the norvwmi program loads them (their management log assembled into KronInfo).
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "eventlog/record_log_provider.h"
#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "log_test_support.h"
#include "platform/platform_loading.h"
#include "repository/mof_error.h"
#include "named_lock_probe.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using norvwmi::ClientLevel;
using norvwmi::RecordingSink;
using norvwmi::SinkEvent;
using win::ComPtr;


constexpr const wchar_t* kRecordLogPath = L"RecordLog.InstanceID=\"IPMI:IPMI Controller 0 SEL Log\"";
constexpr const wchar_t* kRecordFormat =
    L"*string CIM_Sensor.DeviceID*uint8[2] IPMI_RecordID*uint8 IPMI_RecordType*uint8[4] "
    L"IPMI_Timestamp*uint8[2] IPMI_GeneratorID*uint8 IPMI_EvMRev*uint8 IPMI_SensorType*uint8 "
    L"IPMI_SensorNumber*boolean IPMI_AssertionEvent*uint8 IPMI_EventType*uint8 "
    L"IPMI_EventData1*uint8 IPMI_EventData2*uint8 IPMI_EventData3*";
constexpr std::string_view kTraceLine = "in create instance\n";

GUID ClsidOf(ProviderClass providerClass) {
    return win::GuidOf(IdentityOf(providerClass).clsid);
}

long NumberOf(IWbemClassObject* object, const wchar_t* name) {
    win::UniqueVariant value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr)) || V_VT(&value) != VT_I4) {
        ADD_FAILURE() << "not a 32-bit number";
        return -1;
    }
    return V_I4(&value);
}


std::wstring LogRecordPath(const std::wstring& messageTimestamp, const std::wstring& recordId,
                           const std::wstring& creationClassName = L"LogRecord",
                           const std::wstring& logName = L"IPMI SEL",
                           const std::wstring& logCreationClassName = L"RecordLog") {
    return L"LogRecord.CreationClassName=\"" + creationClassName + L"\",LogCreationClassName=\"" +
           logCreationClassName + L"\",LogName=\"" + logName + L"\",MessageTimestamp=\"" +
           messageTimestamp + L"\",RecordID=\"" + recordId + L"\"";
}

class LogProviderTest : public StandInSuite<> {
protected:
    static void SetUpTestSuite() {
        StandInSuite::SetUpTestSuite();
        wmi_->Serve(PlatformOf("platforms/default.mof"));
        AgeTheCaches();
    }
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        logRecords_ = wmi_->InitializedProvider(ClsidOf(ProviderClass::LogRecord));
        recordLog_ = wmi_->InitializedProvider(ClsidOf(ProviderClass::RecordLog));
        ASSERT_TRUE(logRecords_ && recordLog_);
    }

    static HRESULT Enumerate(IWbemServices* provider, RecordingSink* sink,
                             ClientLevel level = ClientLevel::Impersonate) {
        return AsClient(level,
                        [&] { return provider->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink); });
    }
    static HRESULT Get(IWbemServices* provider, const std::wstring& path, RecordingSink* sink) {
        const auto pathText = Bstr(path.c_str());
        return AsClient([&] { return provider->GetObjectAsync(pathText.get(), 0, nullptr, sink); });
    }
    static HRESULT Exec(IWbemServices* provider, const std::wstring& path, const wchar_t* method,
                        RecordingSink* sink) {
        const auto pathText = Bstr(path.c_str());
        const auto methodName = Bstr(method);
        return AsClient([&] {
            return provider->ExecMethodAsync(pathText.get(), methodName.get(), 0, nullptr, nullptr,
                                             sink);
        });
    }
    // The instances of a successful enumeration.
    static std::vector<ComPtr<IWbemClassObject>> Enumerated(IWbemServices* provider) {
        const auto sink = NewSink();
        const HRESULT hr = Enumerate(provider, sink.get());
        EXPECT_EQ(hr, WBEM_S_NO_ERROR);
        EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
        return sink->Objects();
    }
    void ExpectNotFound(IWbemServices* provider, const std::wstring& path) {
        const auto sink = NewSink();
        EXPECT_EQ(Get(provider, path, sink.get()), kWbemNotFound) << testing::PrintToString(path);
        EXPECT_TRUE(sink->Events().empty());
    }
    // The one instance a lookup gives, indicated once and completed once.
    ComPtr<IWbemClassObject> Found(IWbemServices* provider, const std::wstring& path) {
        const auto sink = NewSink();
        EXPECT_EQ(Get(provider, path, sink.get()), WBEM_S_NO_ERROR) << testing::PrintToString(path);
        EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
        const auto events = sink->Events();
        if (events.size() != 2 || events[0].objects.size() != 1) {
            ADD_FAILURE() << "not one Indicate of one object and one SetStatus";
            return {};
        }
        return events[0].objects[0];
    }

    ComPtr<IWbemServices> logRecords_;
    ComPtr<IWbemServices> recordLog_;
};

TEST_F(LogProviderTest, LogRecordsComeInLogOrderNumberedFromOne) {
    const auto sink = NewSink();
    ASSERT_EQ(Enumerate(logRecords_.get(), sink.get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
    const auto events = sink->Events();
    ASSERT_GT(events.size(), 1u);
    EXPECT_EQ(sink->FinalStatuses().size(), 1u);
    std::wstring previousWallClock;
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(events[i].kind, SinkEvent::Kind::Indicate);
        ASSERT_EQ(events[i].objects.size(), 1u) << "one object per Indicate";
        IWbemClassObject* record = events[i].objects[0].get();
        EXPECT_EQ(StringOf(record, L"RecordID"), std::to_wstring(i + 1));
        EXPECT_EQ(StringOf(record, L"CreationClassName"), L"LogRecord");
        EXPECT_EQ(StringOf(record, L"LogCreationClassName"), L"RecordLog");
        EXPECT_EQ(StringOf(record, L"LogName"), L"IPMI SEL");
        EXPECT_EQ(StringOf(record, L"ElementName"), L"IPMI SEL Record");
        EXPECT_EQ(StringOf(record, L"RecordFormat"), kRecordFormat);
        EXPECT_TRUE(IsNull(record, L"DataFormat"));
        // The default platform logged its events in time order; the offset may differ
        // between summer and winter, the wall-clock digits do not go back.
        const std::wstring wallClock = StringOf(record, L"MessageTimestamp").substr(0, 14);
        EXPECT_LE(previousWallClock, wallClock);
        previousWallClock = wallClock;
    }
    EXPECT_EQ(events.back().kind, SinkEvent::Kind::Status);
    EXPECT_EQ(events.back().result, WBEM_S_NO_ERROR);
}

TEST_F(LogProviderTest, ALookupByTheFiveKeysReturnsTheEnumeratedRecord) {
    const auto records = Enumerated(logRecords_.get());
    ASSERT_FALSE(records.empty());
    for (const auto& record : records) {
        const std::wstring timestamp = StringOf(record.get(), L"MessageTimestamp");
        const std::wstring recordId = StringOf(record.get(), L"RecordID");
        for (const std::wstring& path :
             {LogRecordPath(timestamp, recordId), StringOf(record.get(), L"__RELPATH")}) {
            const auto found = Found(logRecords_.get(), path);
            ASSERT_TRUE(found);
            EXPECT_EQ(found->CompareTo(0, record.get()), WBEM_S_SAME);
        }
    }
    // Key names in any case.
    const std::wstring timestamp = StringOf(records.front().get(), L"MessageTimestamp");
    EXPECT_TRUE(Found(logRecords_.get(),
                      L"logrecord.CREATIONCLASSNAME=\"LogRecord\",logcreationclassname="
                      L"\"RecordLog\",logname=\"IPMI SEL\",messagetimestamp=\"" +
                          timestamp + L"\",recordid=\"1\""));
}

TEST_F(LogProviderTest, ARecordIsFoundOnlyWhenEveryKeyValueIsExact) {
    const auto records = Enumerated(logRecords_.get());
    ASSERT_GE(records.size(), 2u);
    const std::wstring first = StringOf(records.front().get(), L"MessageTimestamp");
    std::wstring another;
    for (const auto& record : records) {
        if (StringOf(record.get(), L"MessageTimestamp") != first) {
            another = StringOf(record.get(), L"MessageTimestamp");
            break;
        }
    }
    ASSERT_FALSE(another.empty()) << "the default log has events at different times";
    const std::wstring beyond = std::to_wstring(records.size() + 1);
    const std::vector<std::wstring> paths = {
        LogRecordPath(another, L"1"),
        LogRecordPath(first, L"1", L"logrecord"),
        LogRecordPath(first, L"1", L"LogRecord", L"ipmi sel"),
        LogRecordPath(first, L"1", L"LogRecord", L"IPMI SEL", L"recordlog"),
        LogRecordPath(first, L"01"),
        LogRecordPath(first, L"0"),
        LogRecordPath(first, beyond),
        LogRecordPath(first.substr(0, 21) + L"+999", L"1"),
        // Without the record number: an empty one, which no record has.
        L"LogRecord.CreationClassName=\"LogRecord\",LogCreationClassName=\"RecordLog\","
        L"LogName=\"IPMI SEL\",MessageTimestamp=\"" + first + L"\"",
    };
    for (const std::wstring& path : paths) ExpectNotFound(logRecords_.get(), path);
}

TEST_F(LogProviderTest, TheRecordLogSummarisesTheRecords) {
    const auto records = Enumerated(logRecords_.get());
    ASSERT_FALSE(records.empty());
    const auto logs = Enumerated(recordLog_.get());
    ASSERT_EQ(logs.size(), 1u);
    IWbemClassObject* log = logs.front().get();
    EXPECT_EQ(StringOf(log, L"CurrentNumberOfRecords"), std::to_wstring(records.size()));
    EXPECT_EQ(StringOf(log, L"MaxNumberOfRecords"), L"0");
    EXPECT_EQ(StringOf(log, L"TimeOfLastStateChange"),
              StringOf(records.back().get(), L"MessageTimestamp"));
    EXPECT_EQ(StringOf(log, L"InstanceID"), L"IPMI:IPMI Controller 0 SEL Log");
    for (const wchar_t* name : {L"Caption", L"Description", L"ElementName", L"Name"}) {
        EXPECT_EQ(StringOf(log, name), L"IPMI SEL") << testing::PrintToString(std::wstring(name));
    }
    EXPECT_EQ(NumberOf(log, L"EnabledState"), 2);
    for (const wchar_t* name : {L"HealthState", L"OperationalStatus", L"RequestedState"}) {
        EXPECT_TRUE(IsNull(log, name)) << testing::PrintToString(std::wstring(name));
    }
}

TEST_F(LogProviderTest, TheRecordLogIsFoundByItsExactInstanceId) {
    const auto logs = Enumerated(recordLog_.get());
    ASSERT_EQ(logs.size(), 1u);
    for (const std::wstring& path :
         {std::wstring(kRecordLogPath), StringOf(logs.front().get(), L"__RELPATH"),
          std::wstring(L"recordlog.instanceid=\"IPMI:IPMI Controller 0 SEL Log\"")}) {
        const auto found = Found(recordLog_.get(), path);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->CompareTo(0, logs.front().get()), WBEM_S_SAME);
    }
    for (const wchar_t* path :
         {L"RecordLog.InstanceID=\"ipmi:ipmi controller 0 sel log\"",
          L"RecordLog.InstanceID=\"IPMI:IPMI Controller 0 SEL Log \"",
          L"RecordLog.InstanceID=\"IPMI:IPMI Controller 1 SEL Log\"",
          L"RecordLog.Name=\"IPMI SEL\""}) {
        ExpectNotFound(recordLog_.get(), path);
    }
}

TEST_F(LogProviderTest, ClearLogInAnyCaseReportsOneAndKeepsTheRecords) {
    const auto before = Enumerated(logRecords_.get());
    ASSERT_FALSE(before.empty());
    for (const wchar_t* method : {L"ClearLog", L"clearlog", L"CLEARLOG"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(method)));
        const auto sink = NewSink();
        ASSERT_EQ(Exec(recordLog_.get(), kRecordLogPath, method, sink.get()), WBEM_S_NO_ERROR);
        EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
        const auto events = sink->Events();
        ASSERT_EQ(events.size(), 2u);
        ASSERT_EQ(events[0].objects.size(), 1u);
        EXPECT_EQ(NumberOf(events[0].objects[0].get(), L"ReturnValue"), 1);
        EXPECT_EQ(events[1].flags, 0);
        EXPECT_EQ(events[1].result, WBEM_S_NO_ERROR);
    }
    AgeTheCaches();
    const auto after = Enumerated(logRecords_.get());
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i]->CompareTo(0, before[i].get()), WBEM_S_SAME) << i;
    }
}

TEST(RecordLogTrace, EachCallAppendsOneLineWithALineFeedOnly) {
    const TempFile trace("RecordLogTrace");
    win::AppendRecordLogTrace(trace.Path().c_str());
    EXPECT_EQ(ReadFileBytes(trace.Path()), kTraceLine) << "created when missing";
    win::AppendRecordLogTrace(trace.Path().c_str());
    win::AppendRecordLogTrace(trace.Path().c_str());
    EXPECT_EQ(ReadFileBytes(trace.Path()),
              std::string(kTraceLine) + std::string(kTraceLine) + std::string(kTraceLine));
}

TEST(RecordLogTrace, AnUnwritableLocationIsIgnored) {
    const std::string folder = TempDirectory() + UniqueName("NoSuchFolder");
    const std::string path = folder + "\\trace.txt";
    win::AppendRecordLogTrace(path.c_str());
    EXPECT_FALSE(FileExists(path));
}

TEST_F(LogProviderTest, EveryRecordLogEnumerationLeavesATraceLineWhateverItsOutcome) {
    const std::string trace = "c:\\recordLogProv.txt";
    const std::string before = ReadFileBytes(trace);
    const auto sink = NewSink();
    EXPECT_EQ(Enumerate(recordLog_.get(), sink.get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(Enumerate(recordLog_.get(), nullptr), kWbemInvalidParameter);
    EXPECT_NE(Enumerate(recordLog_.get(), NewSink().get(), ClientLevel::Identify), WBEM_S_NO_ERROR);
    // Records are not traced.
    EXPECT_EQ(Enumerate(logRecords_.get(), NewSink().get()), WBEM_S_NO_ERROR);
    // The norvwmi program tests, which trace into the same Wine prefix, never run meanwhile
    // (a ctest resource lock): exactly the three RecordLog enumerations left a line.
    const std::string after = ReadFileBytes(trace);
    ASSERT_GE(after.size(), before.size());
    EXPECT_EQ(after.substr(0, before.size()), before);
    std::string_view added = std::string_view(after).substr(before.size());
    std::size_t lines = 0;
    while (added.starts_with(kTraceLine)) {
        added.remove_prefix(kTraceLine.size());
        ++lines;
    }
    EXPECT_TRUE(added.empty()) << "not a trace line: " << added;
    EXPECT_EQ(lines, 3u);
}

// A second process holds the sensor cache's lock while the event log is stale: a LogRecord
// enumeration waits for it, holding its provider's lock and the event log's lock meanwhile
// (provider lock, then Norv_SEL_Access, then Norv_SDR_Access), and completes once it is free.
TEST_F(LogProviderTest, ALogRecordEnumerationTakesProviderThenEventLogThenSensorLock) {
    AgeTheCaches();
    const TestEvent ready("SdrReady");
    const TestEvent releasing("SdrReleasing");
    HelperProcess holder("lock Norv_SDR_Access " + ready.Name() + " " + releasing.Name() + " 1000");
    ASSERT_TRUE(holder.Started());
    ASSERT_TRUE(ready.WaitFor(10000));

    std::atomic<bool> done{false};
    const auto sink = NewSink();
    HRESULT result = E_FAIL;
    std::thread request([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        result = Enumerate(logRecords_.get(), sink.get());
        done = true;
        ::CoUninitialize();
    });
    for (const char* name : {"Global\\wmi_NorvLogRecordProv", "Global\\wmi_Norv_SEL_Access"}) {
        EXPECT_TRUE(OwnedByAnotherWithin(name, 5000)) << "the waiting request holds " << name;
    }

    ASSERT_TRUE(releasing.WaitFor(10000));
    EXPECT_FALSE(done) << "the event log was read while another process held Norv_SDR_Access";
    request.join();
    EXPECT_EQ(holder.WaitForExit(10000), 0u);
    EXPECT_EQ(result, WBEM_S_NO_ERROR);
    EXPECT_FALSE(sink->Objects().empty());
    EXPECT_EQ(CompletionProblems(result, *sink.get()), "");
}

// ---------------------------------------------------------------------------------------
// A management log that was just cleared.

class EmptyLogProviderTest : public LogProviderTest {
protected:
    static void SetUpTestSuite() {
        StandInSuite::SetUpTestSuite();
        wmi_->Serve(PlatformOf("platforms/log-empty.mof"));
        AgeTheCaches();
    }
};

TEST_F(EmptyLogProviderTest, NoRecordsAndALogWithoutALastChange) {
    const auto sink = NewSink();
    ASSERT_EQ(Enumerate(logRecords_.get(), sink.get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
    EXPECT_TRUE(sink->Objects().empty());
    EXPECT_EQ(sink->FinalStatuses().size(), 1u);

    const auto logs = Enumerated(recordLog_.get());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(StringOf(logs.front().get(), L"CurrentNumberOfRecords"), L"0");
    EXPECT_EQ(StringOf(logs.front().get(), L"MaxNumberOfRecords"), L"0");
    EXPECT_TRUE(IsNull(logs.front().get(), L"TimeOfLastStateChange"));
    EXPECT_TRUE(Found(recordLog_.get(), kRecordLogPath));
    ExpectNotFound(logRecords_.get(), LogRecordPath(L"00000000000000.000000+000", L"1"));
}

}  // namespace
}  // namespace norv::test
