// Faults of the platform the providers read, served by the norvwmi stand-in: the health driver
// leaving between refreshes, a class whose enumeration stalls, properties of the wrong type or
// null, an unreadable management log, and a diagnostic log that cannot be written. Each shows
// the answer the system gives and that nothing served afterwards is stale or invented.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "com/wbem_services.h"
#include "eventlog/sel_cache.h"
#include "eventlog/time_zone_win.h"
#include "log_test_support.h"
#include "platform/log_writer.h"
#include "platform/wmi_property.h"
#include "platform/wmi_query.h"
#include "sensors/sdr_cache.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

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

// The health driver's classes with one declaration replaced (none when declared is empty).
norvwmi::MofFile HealthClassesWith(std::string_view declared, std::string_view replacement) {
    norvwmi::MofFile file = SourceFile(kHealthClasses);
    if (declared.empty()) return file;
    const std::size_t at = file.text.find(declared);
    EXPECT_NE(at, std::string::npos) << "health.mof no longer declares " << declared;
    if (at != std::string::npos) file.text.replace(at, declared.size(), replacement);
    return file;
}

std::vector<std::string> NamesOfType(const SdrCache& cache, std::uint32_t sensorType) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < cache.Inventory().Count(); ++i) {
        if (cache.Inventory().At(i).SensorType() == sensorType)
            names.push_back(cache.Inventory().At(i).Name());
    }
    return names;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

class PlatformFaultTest : public StandInSuite<> {
protected:
    void SetUp() override {
        StandInSuite::SetUp();
        fakeNow = 1'700'000'000;
    }
};

// The health driver leaving: once the caches are stale (the two fresh seconds are the
// caches' own rule), the providers show only the processor and firmware sensors, and no
// record, numeric sensor or log entry that the driver gave.
TEST_F(PlatformFaultTest, TheProvidersServeNoStaleInstancesOnceTheDriverLeft) {
    const auto sensor = wmi_->InitializedProvider(ProviderClass::Sensor);
    const auto numeric = wmi_->InitializedProvider(ProviderClass::NumericSensor);
    const auto records = wmi_->InitializedProvider(ProviderClass::LogRecord);
    const auto recordLog = wmi_->InitializedProvider(ProviderClass::RecordLog);
    ASSERT_TRUE(sensor && numeric && records && recordLog);
    wmi_->Serve(PlatformOf(kDefaultPlatform));
    AgeTheCaches();  // caches filled by earlier suites are stale now
    const auto numericShown = Enumerated(numeric.get());
    const auto recordsShown = Enumerated(records.get());
    ASSERT_FALSE(numericShown.empty() || recordsShown.empty());
    const std::wstring numericPath = StringOf(numericShown.front().get(), L"__RELPATH");
    const std::wstring recordPath = StringOf(recordsShown.front().get(), L"__RELPATH");
    ASSERT_TRUE(Found(numeric.get(), numericPath) && Found(records.get(), recordPath));

    wmi_->Serve(PlatformOf("platforms/driver-absent.mof"));
    AgeTheCaches();
    std::vector<std::string> shown;
    for (const std::wstring& id : StringsOf(Enumerated(sensor.get()), L"DeviceID"))
        shown.emplace_back(id.begin(), id.end());
    EXPECT_EQ(shown, kDriverlessSensors);
    EXPECT_TRUE(Enumerated(numeric.get()).empty());
    EXPECT_TRUE(Enumerated(records.get()).empty());
    ExpectNotFound(numeric.get(), numericPath);
    ExpectNotFound(records.get(), recordPath);
    const auto logs = Enumerated(recordLog.get());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(StringOf(logs.front().get(), L"CurrentNumberOfRecords"), L"0");
    EXPECT_TRUE(IsNull(logs.front().get(), L"TimeOfLastStateChange"));
}

// A stalled query ends after one timed-out batch with what arrived, in delivery order; the
// query's own batch time-out is ten seconds, which the stand-in records (its wait limit keeps
// the wait short).
TEST_F(PlatformFaultTest, AStalledQueryEndsTimedOutWithWhatArrived) {
    const auto served = PlatformOf(kDefaultPlatform);
    ASSERT_TRUE(served);
    wmi_->Serve(served);
    const ComPtr<IWbemServices> health(
        norvwmi::NamespaceServices::Create(served, "root\\wmi").get());
    WbemObjectList all;
    ASSERT_EQ(ExecWqlQuery(health, "SELECT * FROM TempSensorInfo", all, kNoBatchTimeout), S_OK);
    ASSERT_GT(all.size(), 6u);
    served->SetStall("root\\wmi", "TempSensorInfo", 6);
    WbemObjectList arrived = {all.front()};  // the list is cleared first
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ExecWqlQuery(health, "SELECT * FROM TempSensorInfo", arrived, 300), WBEM_S_TIMEDOUT);
    EXPECT_LT(MillisecondsSince(start), 3000) << "one timed-out batch ends the query";
    ASSERT_EQ(arrived.size(), 6u);
    for (std::size_t i = 0; i < arrived.size(); ++i) {
        std::string name;
        std::string expected;
        GetStringProperty(arrived[i], L"InstanceName", name);
        GetStringProperty(all[i], L"InstanceName", expected);
        EXPECT_EQ(name, expected) << "in delivery order";
    }
    served->SetStall("root\\wmi", "FanInfo", 3);
    served->SetWaitLimit(50);
    served->TakeNextRequests();
    WbemObjectList fans;
    EXPECT_EQ(ExecWqlQuery("root\\wmi", "SELECT * FROM FanInfo", fans, nullptr), WBEM_S_TIMEDOUT);
    EXPECT_EQ(fans.size(), 3u);
    EXPECT_EQ(served->TakeNextRequests(),
              (std::vector<norvwmi::ServedNamespaces::NextRequest>{{10000, 10, 3}}));
}

// The builders and the providers keep what arrived before a stall (the provider's ten-second
// batch time-out cut to a quarter of a second); the classes after the stalled one are read.
TEST_F(PlatformFaultTest, BuildersAndProvidersKeepWhatArrivedBeforeAStall) {
    const auto served = PlatformOf(kDefaultPlatform);
    ASSERT_TRUE(served);
    wmi_->Serve(served);
    SdrCache sensors(&win::BuildPlatformInventory, &FakeClock);
    ASSERT_TRUE(sensors.Refresh(nullptr));
    const auto allTemperatures = NamesOfType(sensors, kTemperatureType);
    ASSERT_GT(allTemperatures.size(), 2u);
    const std::size_t fans = NamesOfType(sensors, kFanType).size();

    served->SetWaitLimit(250);
    served->SetStall("root\\wmi", "TempSensorInfo", 2);
    served->SetStall("root\\wmi", "KronInfo", 0);
    fakeNow += 2;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(sensors.Refresh(nullptr));
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_EQ(NamesOfType(sensors, kTemperatureType),
              std::vector<std::string>(allTemperatures.begin(), allTemperatures.begin() + 2));
    EXPECT_EQ(NamesOfType(sensors, kFanType).size(), fans);
    SelCache log(sensors, &FakeClock, &ReadTimeZoneRules);
    EXPECT_TRUE(log.Refresh(nullptr));
    EXPECT_TRUE(log.Records().empty()) << "no log instance arrived";

    const auto numeric = wmi_->InitializedProvider(ProviderClass::NumericSensor);
    const auto records = wmi_->InitializedProvider(ProviderClass::LogRecord);
    ASSERT_TRUE(numeric && records);
    AgeTheCaches();
    EXPECT_EQ(StringsOf(Enumerated(numeric.get()), L"DeviceID"),
              (std::vector<std::wstring>{L"10.0.0", L"11.0.0"}))
        << "a timed-out query is not a failed request";
    EXPECT_TRUE(Enumerated(records.get()).empty());
}

// ---------------------------------------------------------------------------------------
// Properties of another type than the driver declares, or null: the defined fallbacks.

struct MistypedCase {
    const char* label;
    std::string declared;     // a line of health.mof ...
    std::string replacement;  // ... declared otherwise (empty: as shipped)
    std::string properties;   // of the one temperature sensor
    std::int32_t reading;     // shown; upper critical 800, nominal 500, state 16 in every case
};

void PrintTo(const MistypedCase& c, std::ostream* out) {
    *out << c.label;
}

class MistypedPropertyTest : public PlatformFaultTest,
                             public ::testing::WithParamInterface<MistypedCase> {};

TEST_P(MistypedPropertyTest, TemperaturesShowTheDefinedFallbacks) {
    const MistypedCase& c = GetParam();
    wmi_->Serve(RepositoryOf(
        {SourceFile(kShippedClasses),
         HealthClassesWith(c.declared, c.replacement),
         {"instances.mof",
          "#pragma namespace(\"root\\\\wmi\")\ninstance of TempSensorInfo {\n"
          "InstanceName = \"ROOT\\\\KESHHLTH\\\\0000_0\"; TempNumber = 1; TempPresent = TRUE;\n"
          "TempThreshold = 80; TempShutdownGracefully = TRUE; " +
              c.properties +
              "\n};\n"
              // One fan beside the temperature: the builders after a failed one still run.
              "instance of FanInfo { InstanceName = \"ROOT\\\\KESHHLTH\\\\0000_0\"; FanIndex = 1;\n"
              "FanLocale = 3; FanPresent = TRUE; FanPhysicallyFailed = FALSE; FanSpeed = 2;\n"
              "FanRedCapable = FALSE; FanSharedGroupingCapable = FALSE; };\n"}}));
    SdrCache sensors(&win::BuildPlatformInventory, &FakeClock);
    ASSERT_TRUE(sensors.Refresh(nullptr));
    ASSERT_EQ(NamesOfType(sensors, kTemperatureType), std::vector<std::string>{"TEMPERATURE 1"});
    const SensorRecord* shown = nullptr;
    for (std::size_t i = 0; i < sensors.Inventory().Count(); ++i) {
        if (sensors.Inventory().At(i).SensorType() == kTemperatureType)
            shown = &sensors.Inventory().At(i);
    }
    EXPECT_EQ(shown->CurrentReading(), c.reading);
    EXPECT_EQ(shown->UpperCritical(), 800);
    EXPECT_EQ(shown->NominalReading(), 500);
    EXPECT_EQ(shown->CurrentState(), 16);
    EXPECT_EQ(NamesOfType(sensors, kFanType), std::vector<std::string>{"FAN 1"});
}

INSTANTIATE_TEST_SUITE_P(
    Temperatures, MistypedPropertyTest,
    ::testing::Values(
        MistypedCase{"AsShipped", "", "", "TempCelsius = 45; TempOverThreshold = FALSE;", 450},
        MistypedCase{"ReadingNull", "", "", "", 0},
        MistypedCase{"ReadingAsText", "uint32 TempCelsius;", "string TempCelsius;",
                     "TempCelsius = \"45\";", 0},
        MistypedCase{"OverThresholdAsNumber", "boolean TempOverThreshold;",
                     "uint8 TempOverThreshold;", "TempCelsius = 95; TempOverThreshold = 1;", 950}),
    [](const auto& test) { return std::string(test.param.label); });

// ---------------------------------------------------------------------------------------
// Management-log instances whose properties cannot be read.

enum class LogInstance { Readable, SizeNull, DataAsReals };
using enum LogInstance;

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

// The KronInfo instance of the kind, from the size and bytes (as a MOF list) of the area the
// default platform's log events make.
std::string LogInstanceText(LogInstance kind, int index, const std::string& size,
                            const std::string& data) {
    const std::string properties[] = {"KronSize = " + size + "; KronData = " + data,
                                      "KronData = " + data,
                                      "KronSize = " + size + "; KronData = {19.0, 0.0}"};
    return "instance of KronInfo {\n    InstanceName = \"ROOT\\\\KESHHLTH\\\\0000_" +
           std::to_string(index) + "\";\n    " + properties[static_cast<int>(kind)] + ";\n};\n";
}

class UnreadableLogTest : public PlatformFaultTest,
                          public ::testing::WithParamInterface<LogReadCase> {};

TEST_P(UnreadableLogTest, EntriesOfEarlierInstancesStayAndNothingIsInvented) {
    const LogReadCase& c = GetParam();
    const auto served = PlatformOf(kDefaultPlatform);
    ASSERT_TRUE(served);
    WbemObjectList areas;
    ExecWqlQuery(
        ComPtr<IWbemServices>(norvwmi::NamespaceServices::Create(served, "root\\wmi").get()),
        "SELECT * FROM KronInfo", areas, kNoBatchTimeout);
    ASSERT_EQ(areas.size(), 1u);
    std::int32_t size = 0;
    std::vector<std::uint8_t> bytes(65535);
    std::uint32_t count = static_cast<std::uint32_t>(bytes.size());
    ASSERT_EQ(GetInt32Property(areas.front(), L"KronSize", size), S_OK);
    ASSERT_EQ(GetByteArrayProperty(areas.front(), L"KronData", bytes.data(), count), S_OK);
    std::string data = "{";
    for (std::uint32_t i = 0; i < count; ++i) data += (i ? "," : "") + std::to_string(bytes[i]);
    data += "}";

    // The records of the default log, read alone.
    wmi_->Serve(served);
    SdrCache referenceSensors(&win::BuildPlatformInventory, &FakeClock);
    SelCache reference(referenceSensors, &FakeClock, &ReadTimeZoneRules);
    ASSERT_TRUE(reference.Refresh(nullptr));
    const std::size_t perLog = reference.Records().size();
    ASSERT_GT(perLog, 0u);

    std::string instances = "#pragma namespace(\"root\\\\wmi\")\n";
    for (std::size_t i = 0; i < c.instances.size(); ++i) {
        instances +=
            LogInstanceText(c.instances[i], static_cast<int>(i), std::to_string(size), data);
    }
    // The default platform's sensors (its log events are inert in a plain repository).
    wmi_->Serve(RepositoryOf({SourceFile(kShippedClasses),
                              HealthClassesWith(c.declared, c.replacement),
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
        const LogRecordData& original = reference.Records()[i % perLog];
        EXPECT_EQ(log.Records()[i].recordNumber, std::to_string(i + 1)) << "numbered over all";
        EXPECT_EQ(log.Records()[i].recordData, original.recordData);
        EXPECT_EQ(log.Records()[i].messageTimestamp, original.messageTimestamp);
    }
    EXPECT_EQ(log.LogData().lastChange, expected ? reference.LogData().lastChange : "");

    // A failed read does not keep the cache from being fresh: no second read within 2 s.
    wmi_->Serve(served);
    EXPECT_TRUE(log.Refresh(nullptr));
    EXPECT_EQ(log.Records().size(), expected);
    fakeNow += 2;
    EXPECT_TRUE(log.Refresh(nullptr));
    EXPECT_EQ(log.Records().size(), perLog) << "the next refresh reads the log anew";
}

INSTANTIATE_TEST_SUITE_P(
    Logs, UnreadableLogTest,
    ::testing::Values(
        LogReadCase{"TwoReadable", {Readable, Readable}, 2, "", ""},
        LogReadCase{"ReadingStopsAtTheUnreadable", {Readable, SizeNull, Readable}, 1, "", ""},
        LogReadCase{"DataAsReals", {DataAsReals}, 0, "uint8 KronData[];", "real32 KronData[];"}),
    [](const auto& test) { return std::string(test.param.label); });

// ---------------------------------------------------------------------------------------
// A diagnostic log that cannot be written. The provider's own lock is made to fail (its name
// is taken by an event), which the lock reports to the log on every request. (The writer's
// other failures, a locked file or a missing folder, are log_writer_test's.)

struct LogObstacle {
    const char* label;
    // Makes the log file unwritable; returns what must stay open meanwhile.
    std::function<HANDLE(const std::string& file)> obstruct;
    bool lineWritten;
    long long minimumMs;  // the wait the obstacle costs
};

void PrintTo(const LogObstacle& c, std::ostream* out) {
    *out << c.label;
}

class UnwritableLogTest : public PlatformFaultTest,
                          public ::testing::WithParamInterface<LogObstacle> {};

// The request's time; -1 when the machine has a logging key of its own, left alone.
long long RequestWithAFailingLock(StandInWmi& wmi, const std::string& logFile) {
    TestLogKey key(TestLogKey::Machine{});
    if (!key.Usable()) return -1;
    key.LogTo(logFile);
    const win::UniqueHandle squatter(
        ::CreateEventA(nullptr, TRUE, FALSE, LockNameOf(ProviderClass::ComputerSystem).c_str()));
    EXPECT_TRUE(squatter);
    // The provider reads the logging key when it is made.
    const auto provider = wmi.InitializedProvider(ProviderClass::ComputerSystem);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Enumerated(provider.get()).size(), 1u);
    return MillisecondsSince(start);
}

TEST_P(UnwritableLogTest, RequestsSucceedAndDoNotHang) {
    const LogObstacle& obstacle = GetParam();
    wmi_->Serve(DefaultPlatformNamespaces());
    const TempFile file("FaultLog");
    const win::UniqueHandle held(obstacle.obstruct(file.Path()));
    const long long elapsed = RequestWithAFailingLock(*wmi_, file.Path());
    if (elapsed < 0) GTEST_SKIP() << "the machine has a logging key of its own";
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

INSTANTIATE_TEST_SUITE_P(
    Obstacles, UnwritableLogTest,
    ::testing::Values(LogObstacle{"Writable", [](const std::string&) { return HANDLE{}; }, true, 0},
                      // Created with no count left: every writer waits its second and gives up.
                      LogObstacle{"SemaphoreHeldElsewhere",
                                  [](const std::string& file) {
                                      return ::CreateSemaphoreA(nullptr, 0, 1,
                                                                LogSemaphoreNameOf(file).c_str());
                                  },
                                  false, 900}),
    [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace norv::test
