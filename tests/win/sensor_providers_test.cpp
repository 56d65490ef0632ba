// The two sensor providers of the built module, as WMI drives them: made through the
// module's class objects, initialised with the stand-in's namespace of the shipped classes
// on the default platform, and called inside a server call context.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "log_test_support.h"
#include "named_lock_probe.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using norvwmi::RecordingSink;
using norvwmi::SinkEvent;
using win::ComPtr;


// The present sensors of the default platform (its header comment), in inventory order.
const std::vector<std::wstring> kPresentDiscreteSensors = {
    L"1.0.0",  L"2.0.0",  L"20.0.0", L"21.0.0", L"22.0.0", L"28.0.0", L"29.0.0", L"30.0.0",
    L"31.0.0", L"32.0.0", L"33.0.0", L"34.0.0", L"35.0.0", L"40.0.0", L"43.0.0", L"44.0.0",
    L"50.0.0", L"51.0.0", L"1.0.1",  L"2.0.1",  L"3.0.1",  L"4.0.1",  L"10.0.1", L"11.0.1",
    L"20.0.1", L"21.0.1", L"22.0.1", L"23.0.1", L"24.0.1", L"25.0.1", L"26.0.1", L"27.0.1",
    L"28.0.1", L"29.0.1", L"30.0.1", L"31.0.1", L"32.0.1", L"33.0.1", L"34.0.1", L"35.0.1"};
const std::vector<std::wstring> kPresentNumericSensors = {
    L"10.0.0", L"11.0.0", L"12.0.0", L"13.0.0", L"14.0.0", L"15.0.0", L"16.0.0"};

struct SensorClassCase {
    const char* label;
    ProviderClass providerClass;
    const wchar_t* className;
    const std::vector<std::wstring>* present;
    // The sensors the other class shows.
    const std::vector<std::wstring>* otherClassSensors;
    const wchar_t* otherClassName;

    GUID Clsid() const { return win::GuidOf(IdentityOf(providerClass).clsid); }
    std::string LockName() const {
        return "Global\\wmi_" + std::string(IdentityOf(providerClass).className);
    }
};

void PrintTo(const SensorClassCase& c, std::ostream* out) {
    *out << c.label;
}

std::vector<SensorClassCase> SensorClassCases() {
    return {
        {"Sensor", ProviderClass::Sensor, L"Sensor", &kPresentDiscreteSensors,
         &kPresentNumericSensors, L"NumericSensor"},
        {"NumericSensor", ProviderClass::NumericSensor, L"NumericSensor", &kPresentNumericSensors,
         &kPresentDiscreteSensors, L"Sensor"},
    };
}

// A path with the four keys, written as given.
std::wstring SensorPath(const std::wstring& className, const std::wstring& deviceId,
                        const std::wstring& creationClassName,
                        const std::wstring& systemCreationClassName = L"ComputerSystem",
                        const std::wstring& systemName = L"IPMI Controller 0",
                        const wchar_t* creationClassKey = L"CreationClassName") {
    return className + L"." + creationClassKey + L"=\"" + creationClassName + L"\",DeviceID=\"" +
           deviceId + L"\",SystemCreationClassName=\"" + systemCreationClassName +
           L"\",SystemName=\"" + systemName + L"\"";
}

class SensorProviderTest : public StandInSuite<::testing::TestWithParam<SensorClassCase>> {
protected:
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        provider_ = wmi_->InitializedProvider(GetParam().Clsid());
        ASSERT_TRUE(provider_);
    }

    HRESULT Enumerate(RecordingSink* sink) {
        const auto className = Bstr(GetParam().className);
        return AsClient(
            [&] { return provider_->CreateInstanceEnumAsync(className.get(), 0, nullptr, sink); });
    }
    HRESULT Get(const std::wstring& path, RecordingSink* sink) {
        const auto pathText = Bstr(path.c_str());
        return AsClient(
            [&] { return provider_->GetObjectAsync(pathText.get(), 0, nullptr, sink); });
    }
    std::vector<ComPtr<IWbemClassObject>> Enumerated() {
        const auto sink = NewSink();
        EXPECT_EQ(Enumerate(sink.get()), WBEM_S_NO_ERROR);
        EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
        return sink->Objects();
    }
    std::wstring PathOf(const std::wstring& deviceId) {
        return SensorPath(GetParam().className, deviceId, GetParam().className);
    }
    void ExpectNotFound(const std::wstring& path) {
        const auto sink = NewSink();
        EXPECT_EQ(Get(path, sink.get()), kWbemNotFound) << testing::PrintToString(path);
        EXPECT_TRUE(sink->Events().empty()) << "a failed lookup does not call the sink";
    }

    ComPtr<IWbemServices> provider_;
};

TEST_P(SensorProviderTest, AnEnumerationShowsEachPresentSensorOnceInInventoryOrder) {
    const auto sink = NewSink();
    ASSERT_EQ(Enumerate(sink.get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
    const std::vector<SinkEvent> events = sink->Events();
    ASSERT_FALSE(events.empty());
    std::vector<std::wstring> shown;
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        ASSERT_EQ(events[i].kind, SinkEvent::Kind::Indicate);
        ASSERT_EQ(events[i].objects.size(), 1u) << "one object per Indicate";
        IWbemClassObject* instance = events[i].objects[0].get();
        shown.push_back(StringOf(instance, L"DeviceID"));
        EXPECT_EQ(StringOf(instance, L"CreationClassName"), GetParam().className);
        EXPECT_EQ(StringOf(instance, L"SystemCreationClassName"), L"ComputerSystem");
        EXPECT_EQ(StringOf(instance, L"SystemName"), L"IPMI Controller 0");
    }
    EXPECT_EQ(shown, *GetParam().present);
    const SinkEvent& last = events.back();
    EXPECT_EQ(last.kind, SinkEvent::Kind::Status);
    EXPECT_EQ(last.flags, WBEM_STATUS_COMPLETE);
    EXPECT_EQ(last.result, WBEM_S_NO_ERROR);
}

TEST_P(SensorProviderTest, ALookupByTheFourKeysReturnsTheEnumeratedInstance) {
    const auto enumerated = Enumerated();
    ASSERT_EQ(enumerated.size(), GetParam().present->size());
    for (const auto& instance : enumerated) {
        const std::wstring deviceId = StringOf(instance.get(), L"DeviceID");
        for (const std::wstring& path :
             {PathOf(deviceId), StringOf(instance.get(), L"__RELPATH")}) {
            SCOPED_TRACE(testing::PrintToString(path));
            const auto sink = NewSink();
            ASSERT_EQ(Get(path, sink.get()), WBEM_S_NO_ERROR);
            EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
            const auto events = sink->Events();
            ASSERT_EQ(events.size(), 2u);
            ASSERT_EQ(events[0].objects.size(), 1u);
            EXPECT_EQ(events[0].objects[0]->CompareTo(0, instance.get()), WBEM_S_SAME);
            EXPECT_EQ(events[1].result, WBEM_S_NO_ERROR);
        }
    }
}

TEST_P(SensorProviderTest, KeyNamesMatchInAnyCaseAndValuesOnlyExactly) {
    const std::wstring className = GetParam().className;
    const std::wstring deviceId = GetParam().present->front();
    const std::wstring lowerClass = className == L"Sensor" ? L"sensor" : L"numericsensor";

    const auto found = NewSink();
    EXPECT_EQ(Get(SensorPath(className, deviceId, className, L"ComputerSystem",
                             L"IPMI Controller 0", L"creationclassname"),
                  found.get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(found->Objects().size(), 1u);

    ExpectNotFound(SensorPath(className, deviceId, lowerClass));
    ExpectNotFound(SensorPath(className, deviceId, className, L"computersystem"));
    ExpectNotFound(
        SensorPath(className, deviceId, className, L"ComputerSystem", L"ipmi controller 0"));
}

TEST_P(SensorProviderTest, PathsThatNameNoShownSensorAreNotFound) {
    const std::wstring className = GetParam().className;
    const std::wstring deviceId = GetParam().present->front();
    const std::vector<std::wstring> paths = {
        // Another controller, another system class, keys left out.
        SensorPath(className, deviceId, className, L"ComputerSystem", L"IPMI Controller 1"),
        SensorPath(className, deviceId, className, L"AdminDomain"),
        SensorPath(className, deviceId, className, L"ComputerSystem", L""),
        className + L".CreationClassName=\"" + className + L"\",DeviceID=\"" + deviceId + L"\"",
        // A device id no sensor has, or one written with other numbers.
        PathOf(L"99.0.0"),
        PathOf(deviceId + L".0"),
        PathOf(L"0" + deviceId),
        // The other class's name as the creation class.
        SensorPath(className, deviceId, GetParam().otherClassName),
    };
    for (const std::wstring& path : paths) ExpectNotFound(path);
}

TEST_P(SensorProviderTest, TheOtherClassesSensorsAreNotFoundHere) {
    for (const std::wstring& deviceId : *GetParam().otherClassSensors)
        ExpectNotFound(PathOf(deviceId));
}

// Records of the default platform that only the event log names: POWER GROUP 1, RTC and
// MEM CART 0 PIRN. (Its temperatures are all fitted; see the failures platform below.)
TEST_P(SensorProviderTest, ASensorWhoseRecordIsNotPresentIsNotFound) {
    for (const wchar_t* deviceId : {L"41.0.0", L"5.0.1", L"12.0.1"}) ExpectNotFound(PathOf(deviceId));
}

// Every temperature of the default platform is fitted; the failures platform has one that is
// not (TEMPERATURE 5, 14.0.0), whose record still carries a reading: a hidden numeric entry.
TEST(NumericSensorProviderTest, ATemperatureThatIsNotFittedIsNeitherShownNorFound) {
    StandInWmi wmi;
    ASSERT_EQ(wmi.Problem(), "");
    wmi.Serve(PlatformOf("platforms/failures.mof"));
    AgeTheCaches();  // whoever filled the sensor cache before
    const ComPtr<IWbemServices> provider =
        wmi.InitializedProvider(win::GuidOf(IdentityOf(ProviderClass::NumericSensor).clsid));
    ASSERT_TRUE(provider);

    const auto listed = NewSink();
    const auto className = Bstr(L"NumericSensor");
    ASSERT_EQ(AsClient([&] {
                  return provider->CreateInstanceEnumAsync(className.get(), 0, nullptr,
                                                           listed.get());
              }),
              WBEM_S_NO_ERROR);
    std::vector<std::wstring> shown;
    for (const auto& object : listed->Objects())
        shown.push_back(StringOf(object.get(), L"DeviceID"));
    EXPECT_EQ(shown,
              (std::vector<std::wstring>{L"10.0.0", L"11.0.0", L"12.0.0", L"13.0.0", L"15.0.0"}));

    const auto found = NewSink();
    const auto path = Bstr(SensorPath(L"NumericSensor", L"14.0.0", L"NumericSensor").c_str());
    EXPECT_EQ(
        AsClient([&] { return provider->GetObjectAsync(path.get(), 0, nullptr, found.get()); }),
        kWbemNotFound);
    EXPECT_TRUE(found->Events().empty());

    wmi.Serve(DefaultPlatformNamespaces());
    AgeTheCaches();  // the suites after this one see the default platform again
}

// A second process holds the sensor cache's lock: a request waits for it, holding its
// provider's own lock meanwhile (provider lock first, cache lock second).
TEST_P(SensorProviderTest, ARequestTakesItsOwnLockThenTheSensorLock) {
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
        result = Enumerate(sink.get());
        done = true;
        ::CoUninitialize();
    });
    EXPECT_TRUE(OwnedByAnotherWithin(GetParam().LockName(), 5000))
        << "the waiting request holds " << GetParam().LockName();

    ASSERT_TRUE(releasing.WaitFor(10000));
    EXPECT_FALSE(done) << "the request ran while another process held Norv_SDR_Access";
    request.join();
    EXPECT_EQ(holder.WaitForExit(10000), 0u);
    EXPECT_EQ(result, WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->Objects().size(), GetParam().present->size());
}

TEST_P(SensorProviderTest, TheEventLogLockIsNotTakenBySensorRequests) {
    const TestEvent ready("SelReady");
    const TestEvent releasing("SelReleasing");
    HelperProcess holder("lock Norv_SEL_Access " + ready.Name() + " " + releasing.Name() + " 1000");
    ASSERT_TRUE(holder.Started());
    ASSERT_TRUE(ready.WaitFor(10000));
    const auto sink = NewSink();
    EXPECT_EQ(Enumerate(sink.get()), WBEM_S_NO_ERROR);
    EXPECT_FALSE(releasing.IsSet()) << "the enumeration waited for Norv_SEL_Access";
    EXPECT_EQ(sink->Objects().size(), GetParam().present->size());
    EXPECT_EQ(holder.WaitForExit(10000), 0u);
}

INSTANTIATE_TEST_SUITE_P(Classes, SensorProviderTest, ::testing::ValuesIn(SensorClassCases()),
                         [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace norv::test
