// Faults of the platform the providers read, served by the norvwmi stand-in: the health driver
// leaving between refreshes, a class whose enumeration stalls, properties of the wrong type or
// null, an unreadable management log, and a diagnostic log that cannot be written. Each shows
// the answer the system gives and that nothing served afterwards is stale or invented.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "com/wbem_services.h"
#include "eventlog/sel_cache.h"
#include "eventlog/time_zone_win.h"
#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "log_test_support.h"
#include "platform/log_writer.h"
#include "platform/platform_loading.h"
#include "platform/wmi_property.h"
#include "platform/wmi_query.h"
#include "repository/mof_error.h"
#include "repository/mof_reader.h"
#include "repository/repository.h"
#include "repository/repository_class_source.h"
#include "sensors/sdr_cache.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using norvwmi::ServedNamespaces;
using win::ComPtr;
using win::SdrCache;
using win::SelCache;


constexpr std::uint32_t kTemperatureType = 0x01;
constexpr std::uint32_t kFanType = 0x04;

// The sensors a platform without the health driver shows: the two processors and the
// firmware sensors of owner 1 that are present.
const std::vector<std::string> kDriverlessSensors = {"1.0.0", "2.0.0", "1.0.1",
                                                     "2.0.1", "3.0.1", "4.0.1"};

// The caches' clock: the tests move it instead of waiting.
std::int32_t fakeNow = 1'700'000'000;
std::int32_t FakeClock() {
    return fakeNow;
}

// The health driver's classes with one declaration line replaced.
norvwmi::MofFile HealthClassesWith(std::string_view declared, std::string_view replacement) {
    norvwmi::MofFile file = SourceFile(kHealthClasses);
    const std::size_t at = file.text.find(declared);
    EXPECT_NE(at, std::string::npos) << "health.mof no longer declares " << declared;
    if (at != std::string::npos) file.text.replace(at, declared.size(), replacement);
    return file;
}

template <typename List>
std::vector<std::string> ShownDeviceIds(const List& list) {
    std::vector<std::string> ids;
    for (const auto& entry : list.Entries()) {
        if (entry.present != 0) ids.push_back(entry.deviceId);
    }
    return ids;
}

std::vector<const SensorRecord*> RecordsOfType(const SensorInventory& inventory,
                                               std::uint32_t sensorType) {
    std::vector<const SensorRecord*> records;
    for (std::size_t i = 0; i < inventory.Count(); ++i) {
        if (inventory.At(i).SensorType() == sensorType) records.push_back(&inventory.At(i));
    }
    return records;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

class PlatformFaultTest : public StandInSuite<> {
protected:
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        fakeNow = 1'700'000'000;
    }

};

// ---------------------------------------------------------------------------------------
// The health driver leaving and coming back.

TEST_F(PlatformFaultTest, TheDriverLeavingShowsOnlyProcessorAndFirmwareSensorsAfterTwoSeconds) {
    wmi_->Serve(PlatformOf(kDefaultPlatform));
    SdrCache sensors(&win::BuildPlatformInventory, &FakeClock);
    SelCache log(sensors, &FakeClock, &ReadTimeZoneRules);
    ASSERT_TRUE(sensors.Refresh(nullptr));
    ASSERT_TRUE(log.Refresh(nullptr));
    const std::vector<std::string> withDriver = ShownDeviceIds(sensors.Sensors());
    const std::vector<std::string> numericWithDriver = ShownDeviceIds(sensors.NumericSensors());
    const std::size_t loggedWithDriver = log.Records().size();
    ASSERT_GT(withDriver.size(), kDriverlessSensors.size());
    ASSERT_FALSE(numericWithDriver.empty());
    ASSERT_FALSE(RecordsOfType(sensors.Inventory(), kFanType).empty());
    ASSERT_GT(loggedWithDriver, 0u);

    wmi_->Serve(PlatformOf("platforms/driver-absent.mof"));
    // Within the two seconds the data is served as it was read.
    for (int second = 0; second < 2; ++second) {
        SCOPED_TRACE(second);
        ASSERT_TRUE(sensors.Refresh(nullptr));
        ASSERT_TRUE(log.Refresh(nullptr));
        EXPECT_EQ(ShownDeviceIds(sensors.Sensors()), withDriver);
        EXPECT_EQ(log.Records().size(), loggedWithDriver);
        ++fakeNow;
    }

    ASSERT_TRUE(sensors.Refresh(nullptr)) << "a platform without the driver is still valid";
    ASSERT_TRUE(log.Refresh(nullptr));
    EXPECT_EQ(ShownDeviceIds(sensors.Sensors()), kDriverlessSensors);
    EXPECT_TRUE(ShownDeviceIds(sensors.NumericSensors()).empty());
    EXPECT_TRUE(RecordsOfType(sensors.Inventory(), kFanType).empty()) << "a stale fan";
    EXPECT_TRUE(RecordsOfType(sensors.Inventory(), kTemperatureType).empty());
    EXPECT_TRUE(log.Records().empty());
    EXPECT_EQ(log.LogData().currentNumberOfRecords, 0u);
    EXPECT_EQ(log.LogData().lastChange, "");

    // The driver comes back: everything it gave is shown again, nothing more.
    wmi_->Serve(PlatformOf(kDefaultPlatform));
    fakeNow += 2;
    ASSERT_TRUE(sensors.Refresh(nullptr));
    ASSERT_TRUE(log.Refresh(nullptr));
    EXPECT_EQ(ShownDeviceIds(sensors.Sensors()), withDriver);
    EXPECT_EQ(ShownDeviceIds(sensors.NumericSensors()), numericWithDriver);
    EXPECT_EQ(log.Records().size(), loggedWithDriver);
}

// The same through the module's own providers, whose caches run on the real clock.
TEST_F(PlatformFaultTest, TheProvidersServeNoStaleInstancesOnceTheDriverLeft) {
    auto provider = [](ProviderClass c) {
        return wmi_->InitializedProvider(win::GuidOf(IdentityOf(c).clsid));
    };
    const auto sensorProvider = provider(ProviderClass::Sensor);
    const auto numericProvider = provider(ProviderClass::NumericSensor);
    const auto logRecordProvider = provider(ProviderClass::LogRecord);
    const auto recordLogProvider = provider(ProviderClass::RecordLog);
    ASSERT_TRUE(sensorProvider && numericProvider && logRecordProvider && recordLogProvider);
    auto enumerate = [](const ComPtr<IWbemServices>& p) {
        const auto sink = NewSink();
        const HRESULT hr =
            AsClient([&] { return p->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get()); });
        EXPECT_EQ(hr, WBEM_S_NO_ERROR);
        EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
        return sink->Objects();
    };
    auto get = [](const ComPtr<IWbemServices>& p, const std::wstring& path) {
        const auto sink = NewSink();
        const auto text = Bstr(path.c_str());
        const HRESULT hr =
            AsClient([&] { return p->GetObjectAsync(text.get(), 0, nullptr, sink.get()); });
        if (FAILED(hr)) {
            EXPECT_TRUE(sink->Events().empty());
        }
        return hr;
    };

    wmi_->Serve(PlatformOf(kDefaultPlatform));
    AgeTheCaches();  // caches filled by earlier suites are stale now
    const auto numeric = enumerate(numericProvider);
    const auto records = enumerate(logRecordProvider);
    ASSERT_FALSE(numeric.empty());
    ASSERT_FALSE(records.empty());
    const std::wstring numericPath = StringOf(numeric.front().get(), L"__RELPATH");
    const std::wstring recordPath = StringOf(records.front().get(), L"__RELPATH");
    ASSERT_EQ(get(numericProvider, numericPath), WBEM_S_NO_ERROR);
    ASSERT_EQ(get(logRecordProvider, recordPath), WBEM_S_NO_ERROR);

    wmi_->Serve(PlatformOf("platforms/driver-absent.mof"));
    AgeTheCaches();
    std::vector<std::string> shown;
    for (const auto& sensor : enumerate(sensorProvider)) {
        const std::wstring id = StringOf(sensor.get(), L"DeviceID");
        shown.emplace_back(id.begin(), id.end());
    }
    EXPECT_EQ(shown, kDriverlessSensors);
    EXPECT_TRUE(enumerate(numericProvider).empty());
    EXPECT_TRUE(enumerate(logRecordProvider).empty());
    EXPECT_EQ(get(numericProvider, numericPath), kWbemNotFound);
    EXPECT_EQ(get(logRecordProvider, recordPath), kWbemNotFound);
    const auto logs = enumerate(recordLogProvider);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(StringOf(logs.front().get(), L"CurrentNumberOfRecords"), L"0");
    EXPECT_TRUE(IsNull(logs.front().get(), L"TimeOfLastStateChange"));
}

// ---------------------------------------------------------------------------------------
// A class whose enumeration stalls.

struct StallCase {
    const char* label;
    std::uint32_t stallAfter;
};

class StalledQueryTest : public PlatformFaultTest,
                         public ::testing::WithParamInterface<StallCase> {};

void PrintTo(const StallCase& c, std::ostream* out) {
    *out << c.label;
}

TEST_P(StalledQueryTest, TheObjectsBeforeTheStallArriveAndTheQueryEndsTimedOut) {
    const auto served = PlatformOf(kDefaultPlatform);
    ASSERT_TRUE(served);
    wmi_->Serve(served);
    const ComPtr<IWbemServices> health(
        norvwmi::NamespaceServices::Create(served, "root\\wmi").get());
    const std::string query = "SELECT * FROM TempSensorInfo";
    WbemObjectList all;
    ASSERT_EQ(ExecWqlQuery(health, query, all, kNoBatchTimeout), WBEM_S_NO_ERROR);
    ASSERT_GT(all.size(), GetParam().stallAfter);

    served->SetStall("root\\wmi", "TempSensorInfo", GetParam().stallAfter);
    WbemObjectList arrived;
    arrived.push_back(all.front());  // the list is cleared first
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ExecWqlQuery(health, query, arrived, 300), WBEM_S_TIMEDOUT);
    const long long elapsed = MillisecondsSince(start);
    EXPECT_LT(elapsed, 3000) << "one timed-out batch ends the query";
    ASSERT_EQ(arrived.size(), GetParam().stallAfter);
    for (std::size_t i = 0; i < arrived.size(); ++i) {
        std::string name;
        std::string expected;
        GetStringProperty(arrived[i], L"InstanceName", name);
        GetStringProperty(all[i], L"InstanceName", expected);
        EXPECT_EQ(name, expected) << "in delivery order";
    }
}

INSTANTIATE_TEST_SUITE_P(StallAfter, StalledQueryTest,
                         ::testing::Values(StallCase{"within_the_first_batch", 6}),
                         [](const auto& test) { return std::string(test.param.label); });

// The query's own batch time-out is ten seconds; the stand-in's wait limit keeps the wait short
// and its record of the Next calls shows what was asked: one batch, timed out once.
TEST_F(PlatformFaultTest, AStalledQueryWaitsItsTenSecondsOnceAndNoLonger) {
    const auto served = PlatformOf(kDefaultPlatform);
    ASSERT_TRUE(served);
    served->SetStall("root\\wmi", "FanInfo", 3);
    served->SetWaitLimit(50);
    wmi_->Serve(served);
    served->TakeNextRequests();
    WbemObjectList fans;
    EXPECT_EQ(ExecWqlQuery("root\\wmi", "SELECT * FROM FanInfo", fans, nullptr), WBEM_S_TIMEDOUT);
    EXPECT_EQ(fans.size(), 3u);
    const std::vector<norvwmi::ServedNamespaces::NextRequest> expected = {{10000, 10, 3}};
    EXPECT_EQ(served->TakeNextRequests(), expected);
}

TEST_F(PlatformFaultTest, TheBuildersKeepWhatArrivedBeforeAStall) {
    const auto served = PlatformOf(kDefaultPlatform);
    ASSERT_TRUE(served);
    wmi_->Serve(served);
    SdrCache sensors(&win::BuildPlatformInventory, &FakeClock);
    ASSERT_TRUE(sensors.Refresh(nullptr));
    std::vector<std::string> allTemperatures;
    for (const SensorRecord* r : RecordsOfType(sensors.Inventory(), kTemperatureType))
        allTemperatures.push_back(r->Name());
    ASSERT_GT(allTemperatures.size(), 2u);
    const std::size_t fans = RecordsOfType(sensors.Inventory(), kFanType).size();

    // The provider's 10-second batch time-out cut to a quarter of a second.
    served->SetWaitLimit(250);
    served->SetStall("root\\wmi", "TempSensorInfo", 2);
    served->SetStall("root\\wmi", "KronInfo", 0);
    fakeNow += 2;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(sensors.Refresh(nullptr));
    EXPECT_LT(MillisecondsSince(start), 5000);
    std::vector<std::string> temperatures;
    for (const SensorRecord* r : RecordsOfType(sensors.Inventory(), kTemperatureType))
        temperatures.push_back(r->Name());
    EXPECT_EQ(temperatures,
              std::vector<std::string>(allTemperatures.begin(), allTemperatures.begin() + 2));
    EXPECT_EQ(RecordsOfType(sensors.Inventory(), kFanType).size(), fans)
        << "the classes after the stalled one are read as before";

    SelCache log(sensors, &FakeClock, &ReadTimeZoneRules);
    EXPECT_TRUE(log.Refresh(nullptr));
    EXPECT_TRUE(log.Records().empty()) << "no log instance arrived";
    EXPECT_EQ(log.LogData().currentNumberOfRecords, 0u);
}

// Through the module's providers: the requests complete with what arrived, one cut time-out
// per stalled query later.
TEST_F(PlatformFaultTest, ProvidersCompleteWithWhatArrivedBeforeAStall) {
    const auto served = PlatformOf(kDefaultPlatform);
    ASSERT_TRUE(served);
    served->SetWaitLimit(250);
    served->SetStall("root\\wmi", "TempSensorInfo", 2);
    served->SetStall("root\\wmi", "KronInfo", 0);
    wmi_->Serve(served);
    const auto numeric =
        wmi_->InitializedProvider(win::GuidOf(IdentityOf(ProviderClass::NumericSensor).clsid));
    const auto records =
        wmi_->InitializedProvider(win::GuidOf(IdentityOf(ProviderClass::LogRecord).clsid));
    ASSERT_TRUE(numeric && records);
    AgeTheCaches();  // caches filled by earlier suites are stale now

    for (const auto& [provider, expected] :
         {std::pair{numeric, std::vector<std::wstring>{L"10.0.0", L"11.0.0"}},
          std::pair{records, std::vector<std::wstring>{}}}) {
        const auto sink = NewSink();
        const auto start = std::chrono::steady_clock::now();
        const HRESULT hr = AsClient(
            [&] { return provider->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get()); });
        EXPECT_LT(MillisecondsSince(start), 8000);
        EXPECT_EQ(hr, WBEM_S_NO_ERROR) << "a timed-out query is not a failed request";
        EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
        std::vector<std::wstring> shown;
        for (const auto& instance : sink->Objects()) {
            shown.push_back(StringOf(instance.get(), L"DeviceID"));
        }
        EXPECT_EQ(shown, expected);
    }
}

// ---------------------------------------------------------------------------------------
// Properties of another type than the driver declares, or null.

// One temperature sensor as the builder shows it.
struct TemperatureShown {
    std::string name;
    std::int32_t reading;
    std::int32_t upperCritical;
    std::int32_t nominal;
    std::uint8_t state;
};

bool operator==(const TemperatureShown& a, const TemperatureShown& b) {
    return a.name == b.name && a.reading == b.reading && a.upperCritical == b.upperCritical &&
           a.nominal == b.nominal && a.state == b.state;
}

void PrintTo(const TemperatureShown& t, std::ostream* out) {
    *out << t.name << " reading " << t.reading << " critical " << t.upperCritical << " nominal "
         << t.nominal << " state " << int(t.state);
}

struct MistypedCase {
    const char* label;
    std::string declared;     // a line of health.mof ...
    std::string replacement;  // ... declared otherwise (empty: as shipped)
    std::string instances;    // the temperature sensors, in root\wmi
    std::vector<TemperatureShown> expected;
};

void PrintTo(const MistypedCase& c, std::ostream* out) {
    *out << c.label;
}

// One fan beside the temperatures: the builders after a failed one still run.
constexpr const char* kOneFan = R"(
instance of FanInfo {
    InstanceName = "ROOT\\KESHHLTH\\0000_0"; FanIndex = 1; FanLocale = 3; FanPresent = TRUE;
    FanPhysicallyFailed = FALSE; FanSpeed = 2; FanRedCapable = FALSE;
    FanSharedGroupingCapable = FALSE;
};
)";

std::string Temperature(int index, std::string_view properties) {
    return "instance of TempSensorInfo {\n    InstanceName = \"ROOT\\\\KESHHLTH\\\\0000_" +
           std::to_string(index) + "\";\n    " + std::string(properties) + "\n};\n";
}

constexpr const char* kHealthy =
    "TempNumber = 1; TempLocale = 3; TempPresent = TRUE; TempCelsius = 45; TempThreshold = 80;"
    " TempOverThreshold = FALSE; TempImmediatePowerOff = FALSE; TempShutdownGracefully = TRUE;";

std::vector<MistypedCase> MistypedCases() {
    return {
        {"AsShipped", "", "", Temperature(0, kHealthy), {{"TEMPERATURE 1", 450, 800, 500, 16}}},
        {"ReadingNull",
         "",
         "",
         Temperature(0,
                     "TempNumber = 1; TempPresent = TRUE; TempThreshold = 80; "
                     "TempShutdownGracefully = TRUE;"),
         {{"TEMPERATURE 1", 0, 800, 500, 16}}},
        {"ReadingAsText",
         "uint32 TempCelsius;",
         "string TempCelsius;",
         Temperature(0,
                     "TempNumber = 1; TempPresent = TRUE; TempCelsius = \"45\"; "
                     "TempThreshold = 80; TempShutdownGracefully = TRUE;"),
         {{"TEMPERATURE 1", 0, 800, 500, 16}}},
        {"OverThresholdAsNumber",
         "boolean TempOverThreshold;",
         "uint8 TempOverThreshold;",
         Temperature(0,
                     "TempNumber = 1; TempPresent = TRUE; TempCelsius = 95; "
                     "TempThreshold = 80; TempShutdownGracefully = TRUE; "
                     "TempOverThreshold = 1;"),
         {{"TEMPERATURE 1", 950, 800, 500, 16}}},
    };
}

class MistypedPropertyTest : public PlatformFaultTest,
                             public ::testing::WithParamInterface<MistypedCase> {};

TEST_P(MistypedPropertyTest, TemperaturesShowTheDefinedFallbacks) {
    const MistypedCase& c = GetParam();
    const norvwmi::MofFile health = c.replacement.empty()
                                        ? SourceFile(kHealthClasses)
                                        : HealthClassesWith(c.declared, c.replacement);
    wmi_->Serve(RepositoryOf(
        {SourceFile(kShippedClasses),
         health,
         {"instances.mof", "#pragma namespace(\"root\\\\wmi\")\n" + c.instances + kOneFan}}));
    SdrCache sensors(&win::BuildPlatformInventory, &FakeClock);
    ASSERT_TRUE(sensors.Refresh(nullptr));
    std::vector<TemperatureShown> shown;
    for (const SensorRecord* r : RecordsOfType(sensors.Inventory(), kTemperatureType)) {
        shown.push_back({r->Name(), r->CurrentReading(), r->UpperCritical(), r->NominalReading(),
                         r->CurrentState()});
    }
    EXPECT_EQ(shown, c.expected);
    const auto fans = RecordsOfType(sensors.Inventory(), kFanType);
    ASSERT_EQ(fans.size(), 1u);
    EXPECT_EQ(fans.front()->Name(), "FAN 1");
}

INSTANTIATE_TEST_SUITE_P(Temperatures, MistypedPropertyTest, ::testing::ValuesIn(MistypedCases()),
                         [](const auto& test) { return std::string(test.param.label); });

// ---------------------------------------------------------------------------------------
// Management-log instances whose properties cannot be read.

// The area the default platform's log events make, as its KronInfo serves it.
struct LogArea {
    std::int32_t size = 0;
    std::vector<std::uint8_t> bytes;
};

LogArea DefaultLogArea() {
    LogArea area;
    const auto served = PlatformOf(kDefaultPlatform);
    if (!served) return area;
    const ComPtr<IWbemServices> health(
        norvwmi::NamespaceServices::Create(served, "root\\wmi").get());
    WbemObjectList logs;
    ExecWqlQuery(health, "SELECT * FROM KronInfo", logs, kNoBatchTimeout);
    EXPECT_EQ(logs.size(), 1u);
    if (logs.empty()) return area;
    EXPECT_TRUE(SUCCEEDED(GetInt32Property(logs.front(), L"KronSize", area.size)));
    area.bytes.resize(65535);
    std::uint32_t count = static_cast<std::uint32_t>(area.bytes.size());
    EXPECT_TRUE(
        SUCCEEDED(GetByteArrayProperty(logs.front(), L"KronData", area.bytes.data(), count)));
    area.bytes.resize(count);
    return area;
}

std::string ByteList(const std::vector<std::uint8_t>& bytes) {
    std::string list = "{";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) list += ",";
        list += std::to_string(bytes[i]);
    }
    return list + "}";
}

enum class LogInstance {
    Readable,        // the default area
    SizeNull,        // KronSize left out
    DataNull,        // KronData left out
    SizeAsText,      // KronSize = "<size>" (declared string)
    DataNotAnArray,  // KronData = 19 (declared uint32)
    DataAsTexts,     // KronData = {"19"} (declared string[])
    DataAsReals,     // KronData = {19.0} (declared real32[])
};

struct LogReadCase {
    const char* label;
    std::vector<LogInstance> instances;
    std::size_t expectedCopies;  // of the default log's records
    std::string declared;
    std::string replacement;
};

void PrintTo(const LogReadCase& c, std::ostream* out) {
    *out << c.label;
}

std::string LogInstanceText(LogInstance kind, int index, const LogArea& area) {
    const std::string size = std::to_string(area.size);
    const std::string data = ByteList(area.bytes);
    std::string properties;
    switch (kind) {
        case LogInstance::Readable:
            properties = "KronSize = " + size + "; KronData = " + data;
            break;
        case LogInstance::SizeNull:
            properties = "KronData = " + data;
            break;
        case LogInstance::DataNull:
            properties = "KronSize = " + size;
            break;
        case LogInstance::SizeAsText:
            properties = "KronSize = \"" + size + "\"; KronData = " + data;
            break;
        case LogInstance::DataNotAnArray:
            properties = "KronSize = " + size + "; KronData = 19";
            break;
        case LogInstance::DataAsTexts:
            properties = "KronSize = " + size + "; KronData = {\"19\", \"0\"}";
            break;
        case LogInstance::DataAsReals:
            properties = "KronSize = " + size + "; KronData = {19.0, 0.0}";
            break;
    }
    return "instance of KronInfo {\n    InstanceName = \"ROOT\\\\KESHHLTH\\\\0000_" +
           std::to_string(index) + "\";\n    " + properties + ";\n};\n";
}

using enum LogInstance;

std::vector<LogReadCase> LogReadCases() {
    return {
        {"TwoReadable", {Readable, Readable}, 2, "", ""},
        {"ReadableAfterAnUnreadable", {DataNull, Readable}, 0, "", ""},
        {"ReadingStopsAtTheUnreadable", {Readable, SizeNull, Readable}, 1, "", ""},
        {"SizeAsText", {SizeAsText}, 0, "uint32 KronSize;", "string KronSize;"},
        {"DataAsReals", {DataAsReals}, 0, "uint8 KronData[];", "real32 KronData[];"},
    };
}

class UnreadableLogTest : public PlatformFaultTest,
                          public ::testing::WithParamInterface<LogReadCase> {
protected:
    static void SetUpTestSuite() {
        PlatformFaultTest::SetUpTestSuite();
        area_ = new LogArea(DefaultLogArea());
    }
    static void TearDownTestSuite() {
        delete area_;
        area_ = nullptr;
        PlatformFaultTest::TearDownTestSuite();
    }
    inline static LogArea* area_ = nullptr;
};

// The default platform's sensors (its log events are inert in a plain repository) with the
// case's KronInfo instances.
TEST_P(UnreadableLogTest, EntriesOfEarlierInstancesStayAndNothingIsInvented) {
    const LogReadCase& c = GetParam();
    ASSERT_FALSE(area_->bytes.empty());
    // The records of the default log, read alone.
    wmi_->Serve(PlatformOf(kDefaultPlatform));
    SdrCache referenceSensors(&win::BuildPlatformInventory, &FakeClock);
    SelCache reference(referenceSensors, &FakeClock, &ReadTimeZoneRules);
    ASSERT_TRUE(reference.Refresh(nullptr));
    const std::size_t perLog = reference.Records().size();
    ASSERT_GT(perLog, 0u);

    std::string instances = "#pragma namespace(\"root\\\\wmi\")\n";
    for (std::size_t i = 0; i < c.instances.size(); ++i) {
        instances += LogInstanceText(c.instances[i], static_cast<int>(i), *area_);
    }
    const norvwmi::MofFile health = c.replacement.empty()
                                        ? SourceFile(kHealthClasses)
                                        : HealthClassesWith(c.declared, c.replacement);
    wmi_->Serve(RepositoryOf({SourceFile(kShippedClasses),
                              health,
                              SourceFile(kHostDirectives),
                              SourceFile(kDefaultPlatform),
                              {"logs.mof", instances}}));

    SdrCache sensors(&win::BuildPlatformInventory, &FakeClock);
    SelCache log(sensors, &FakeClock, &ReadTimeZoneRules);
    EXPECT_TRUE(log.Refresh(nullptr)) << "a log that cannot be read is a short log";
    const std::size_t expected = perLog * c.expectedCopies;
    ASSERT_EQ(log.Records().size(), expected);
    EXPECT_EQ(log.LogData().currentNumberOfRecords, expected);
    for (std::size_t i = 0; i < expected; ++i) {
        const LogRecordData& record = log.Records()[i];
        const LogRecordData& original = reference.Records()[i % perLog];
        EXPECT_EQ(record.recordNumber, std::to_string(i + 1)) << "numbered over what was read";
        EXPECT_EQ(record.recordData, original.recordData);
        EXPECT_EQ(record.messageTimestamp, original.messageTimestamp);
    }
    EXPECT_EQ(log.LogData().lastChange, expected ? reference.LogData().lastChange : "");

    // A failed read does not keep the cache from being fresh: no second read within 2 s.
    wmi_->Serve(PlatformOf(kDefaultPlatform));
    EXPECT_TRUE(log.Refresh(nullptr));
    EXPECT_EQ(log.Records().size(), expected);
    fakeNow += 2;
    EXPECT_TRUE(log.Refresh(nullptr));
    EXPECT_EQ(log.Records().size(), perLog) << "the next refresh reads the log anew";
}

INSTANTIATE_TEST_SUITE_P(Logs, UnreadableLogTest, ::testing::ValuesIn(LogReadCases()),
                         [](const auto& test) { return std::string(test.param.label); });

// ---------------------------------------------------------------------------------------
// A diagnostic log that cannot be written. The provider's own lock is made to fail (its name
// is taken by an event), which the lock reports to the log on every request.

constexpr const char* kLoggingKey = "Software\\Norvane\\WBEM\\ServerLOGGING";

// The module's logging key, pointed at a file for the test and removed afterwards.
class MachineLoggingKey {
public:
    MachineLoggingKey() {
        win::UniqueHkey existing;
        existed_ = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLoggingKey, 0, KEY_READ, existing.put()) ==
                   ERROR_SUCCESS;
        if (!existed_) {
            created_ =
                ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLoggingKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key_.put(), nullptr) == ERROR_SUCCESS;
        }
    }
    MachineLoggingKey(const MachineLoggingKey&) = delete;
    MachineLoggingKey& operator=(const MachineLoggingKey&) = delete;
    ~MachineLoggingKey() {
        if (!created_) return;
        key_.reset();
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLoggingKey);
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Norvane\\WBEM");
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Norvane");
    }
    // False when the machine has a logging key of its own, which the test leaves alone.
    bool Usable() const { return created_; }
    void LogTo(const std::string& fileName) {
        ASSERT_EQ(::RegSetValueExA(key_.get(), "LOGFILENAME", 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(fileName.c_str()),
                                   static_cast<DWORD>(fileName.size() + 1)),
                  ERROR_SUCCESS);
    }

private:
    win::UniqueHkey key_;
    bool existed_ = false;
    bool created_ = false;
};

struct LogObstacle {
    const char* label;
    // Makes the log file unwritable; returns what must stay alive meanwhile.
    std::function<std::vector<HANDLE>(const std::string& file)> obstruct;
    bool lineWritten;
    long long minimumMs;  // the wait the obstacle costs
};

void PrintTo(const LogObstacle& c, std::ostream* out) {
    *out << c.label;
}

std::vector<LogObstacle> LogObstacles() {
    return {
        {"Writable", [](const std::string&) { return std::vector<HANDLE>(); }, true, 0},
        {"LockedByAnotherHandle",
         [](const std::string& file) {
             const HANDLE held =
                 ::CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
             EXPECT_NE(held, INVALID_HANDLE_VALUE);
             return std::vector<HANDLE>{held};
         },
         false, 0},
        {"SemaphoreHeldElsewhere",
         [](const std::string& file) {
             // Created with no count left: every writer waits its second and gives up.
             const HANDLE held = ::CreateSemaphoreA(nullptr, 0, 1, LogSemaphoreNameOf(file).c_str());
             EXPECT_TRUE(held);
             return std::vector<HANDLE>{held};
         },
         false, 900},
    };
}

class UnwritableLogTest : public PlatformFaultTest,
                          public ::testing::WithParamInterface<LogObstacle> {};

void RequestWithAFailingLock(StandInWmi& wmi, const std::string& logFile, bool& usable,
                             long long& elapsed) {
    MachineLoggingKey key;
    usable = key.Usable();
    if (!usable) return;
    key.LogTo(logFile);
    const std::string lockName =
        "Global\\wmi_" + std::string(IdentityOf(ProviderClass::ComputerSystem).className);
    const win::UniqueHandle squatter(::CreateEventA(nullptr, TRUE, FALSE, lockName.c_str()));
    EXPECT_TRUE(squatter);
    // The provider reads the logging key when it is made.
    const auto provider =
        wmi.InitializedProvider(win::GuidOf(IdentityOf(ProviderClass::ComputerSystem).clsid));
    if (!provider) return;
    const auto sink = NewSink();
    const auto start = std::chrono::steady_clock::now();
    const HRESULT hr = AsClient(
        [&] { return provider->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get()); });
    elapsed = MillisecondsSince(start);
    EXPECT_EQ(hr, WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
    EXPECT_EQ(sink->Objects().size(), 1u);
}

TEST_P(UnwritableLogTest, RequestsSucceedAndDoNotHang) {
    const LogObstacle& obstacle = GetParam();
    wmi_->Serve(DefaultPlatformNamespaces());
    const TempFile file("FaultLog");
    long long elapsed = 0;
    bool usable = false;
    const std::vector<HANDLE> held = obstacle.obstruct(file.Path());
    RequestWithAFailingLock(*wmi_, file.Path(), usable, elapsed);
    for (HANDLE handle : held) {
        if (handle && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
    if (!usable) GTEST_SKIP() << "the machine has a logging key of its own";
    EXPECT_GE(elapsed, obstacle.minimumMs);
    EXPECT_LT(elapsed, obstacle.minimumMs + 4000);
    const std::string written = ReadFileBytes(file.Path());
    if (obstacle.lineWritten) {
        EXPECT_NE(written.find("] [Error] - Mutex::CreateSemaphore(Mutex) failed.  Last error:  "),
                  std::string::npos)
            << "the failing lock is reported: " << written;
    } else {
        EXPECT_EQ(written, "") << "the message is lost";
    }
}

INSTANTIATE_TEST_SUITE_P(Obstacles, UnwritableLogTest, ::testing::ValuesIn(LogObstacles()),
                         [](const auto& test) { return std::string(test.param.label); });

TEST_F(PlatformFaultTest, ALogFileInAMissingFolderIsNotCreated) {
    wmi_->Serve(DefaultPlatformNamespaces());
    const std::string folder = TempDirectory() + UniqueName("NoFolder");
    const std::string file = folder + "\\norvwbems.log";
    long long elapsed = 0;
    bool usable = false;
    RequestWithAFailingLock(*wmi_, file, usable, elapsed);
    if (!usable) GTEST_SKIP() << "the machine has a logging key of its own";
    EXPECT_LT(elapsed, 4000);
    EXPECT_FALSE(FileExists(folder));
    EXPECT_FALSE(FileExists(file));
}

}  // namespace
}  // namespace norv::test
