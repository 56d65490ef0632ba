// What is particular to the two sensor providers of the built module (the sensors they show
// are in the golden outputs, the key rules and lock order are the protocol suite's): sensors
// that are not shown, and the event log's lock left alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log_test_support.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

struct SensorClassCase {
    const char* label;
    ProviderClass providerClass;
    const wchar_t* otherClassName;
    std::vector<std::wstring> otherClassSensors;  // a few the other class shows
};

void PrintTo(const SensorClassCase& c, std::ostream* out) {
    *out << c.label;
}

// A path with the four keys of the default controller.
std::wstring SensorPath(const std::wstring& className, const std::wstring& deviceId,
                        const std::wstring& creationClassName) {
    return className + L".CreationClassName=\"" + creationClassName + L"\",DeviceID=\"" + deviceId +
           L"\",SystemCreationClassName=\"ComputerSystem\",SystemName=\"IPMI Controller 0\"";
}

class SensorProviderTest : public StandInSuite<::testing::TestWithParam<SensorClassCase>> {
protected:
    void SetUp() override {
        StandInSuite::SetUp();
        provider_ = wmi_->InitializedProvider(GetParam().providerClass);
        ASSERT_TRUE(provider_);
    }
    std::wstring ClassName() const {
        return Wide(IdentityOf(GetParam().providerClass).servedClass);
    }
    std::wstring PathOf(const std::wstring& deviceId) const {
        return SensorPath(ClassName(), deviceId, ClassName());
    }

    ComPtr<IWbemServices> provider_;
};

// The creation class must be the served one; the other class's sensors and records of the
// default platform that only the event log names (POWER GROUP 1, RTC, MEM CART 0 PIRN) are not
// found. (Finding the first and last sensors shown is the norvwmi program's lookups case.)
TEST_P(SensorProviderTest, OnlyTheSensorsShownAreFound) {
    const std::wstring first = StringOf(Enumerated(provider_.get()).front().get(), L"DeviceID");
    ExpectNotFound(provider_.get(), SensorPath(ClassName(), first, GetParam().otherClassName));
    for (const std::wstring& other : GetParam().otherClassSensors)
        ExpectNotFound(provider_.get(), PathOf(other));
    for (const wchar_t* hidden : {L"41.0.0", L"5.0.1", L"12.0.1"})
        ExpectNotFound(provider_.get(), PathOf(hidden));
}

// A request of a sensor class waits for no lock of the event log. (The order of the locks it
// does take is the protocol suite's.)
TEST_P(SensorProviderTest, TheEventLogLockIsNotTakenBySensorRequests) {
    const TestEvent ready("SelReady");
    const TestEvent releasing("SelReleasing");
    HelperProcess holder("lock Norv_SEL_Access " + ready.Name() + " " + releasing.Name() + " 1000");
    ASSERT_TRUE(holder.Started());
    ASSERT_TRUE(ready.WaitFor(10000));
    AgeTheCaches();
    EXPECT_FALSE(Enumerated(provider_.get()).empty());
    EXPECT_FALSE(releasing.WaitFor(0)) << "the enumeration waited for Norv_SEL_Access";
    EXPECT_EQ(holder.WaitForExit(10000), 0u);
}

const SensorClassCase kSensorClasses[] = {
    {"Sensor", ProviderClassNamed("NorvSensorProv"), L"NumericSensor", {L"10.0.0", L"16.0.0"}},
    {"NumericSensor",
     ProviderClassNamed("NorvNumericSensorProv"),
     L"Sensor",
     {L"1.0.0", L"20.0.0", L"35.0.1"}},
};
INSTANTIATE_TEST_SUITE_P(Classes, SensorProviderTest, ::testing::ValuesIn(kSensorClasses),
                         [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace norv::test
