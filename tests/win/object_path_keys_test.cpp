// Object-path validation and key reading through the object-path parser the host registers
// under Windows' class id, exactly as the providers reach it.
#include "host/object_path_keys.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <array>
#include <string>

#include "com/utility_parsers.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

constexpr HRESULT kFailed = static_cast<HRESULT>(WBEM_E_FAILED);
constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(WBEM_E_INVALID_PARAMETER);

class ObjectPathTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        comInitialised_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        parsers_ = norvwmi::RegisterWmiUtilityParsers();
    }
    static void TearDownTestSuite() {
        parsers_.Revoke();
        if (comInitialised_) ::CoUninitialize();
    }
    void SetUp() override {
        ASSERT_EQ(parsers_.Status(), S_OK);
        ASSERT_EQ(::CoGetClassObject(kPathParserClsid, CLSCTX_INPROC_SERVER, nullptr,
                                     IID_IClassFactory, factory_.put_void()),
                  S_OK);
    }

    ComPtr<IClassFactory> factory_;
    inline static bool comInitialised_ = false;
    inline static norvwmi::UtilityParserRegistration parsers_;
};

struct PathCase {
    const wchar_t* path;
    HRESULT expected;
};

TEST_F(ObjectPathTest, AcceptsInstancePathsOfTheExpectedClassOnly) {
    const PathCase cases[] = {
        {L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=\"IPMI Controller 0\"", S_OK},
        {L"computersystem.Name=\"x\"", S_OK},  // the class in any letter case
        {L"COMPUTERSYSTEM.Name=\"x\"", S_OK},
        {L"\\\\.\\root\\cimv2\\ipmi:ComputerSystem.Name=\"x\"", S_OK},
        {L"ComputerSystem.Name=5", S_OK},
        {L"ComputerSystem", kFailed},  // a class path
        {L"\\\\.\\root\\cimv2\\ipmi:ComputerSystem", kFailed},
        {L"AdminDomain.Name=\"x\"", kFailed},
        {L"ComputerSystems.Name=\"x\"", kFailed},
        {L"Computer.Name=\"x\"", kFailed},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(ValidateObjectPath(factory_.get(), c.path, L"ComputerSystem", kInstancePathKinds),
                  c.expected)
            << testing::PrintToString(std::wstring(c.path));
    }
}

TEST_F(ObjectPathTest, AnUnparsablePathGivesTheParsersFailure) {
    for (const wchar_t* path : {L"ComputerSystem.Name=\"open", L"", L"ComputerSystem.=\"x\""}) {
        const HRESULT hr =
            ValidateObjectPath(factory_.get(), path, L"ComputerSystem", kInstancePathKinds);
        EXPECT_TRUE(FAILED(hr)) << testing::PrintToString(std::wstring(path));
        EXPECT_NE(hr, kFailed) << "the parser's own failure, not a mismatch";
    }
}

TEST_F(ObjectPathTest, TheRequiredKindsDecide) {
    constexpr ULONGLONG kClassPath = WBEMPATH_INFO_IS_CLASS_REF;
    EXPECT_EQ(ValidateObjectPath(factory_.get(), L"Sensor", L"Sensor", kClassPath), S_OK);
    EXPECT_EQ(ValidateObjectPath(factory_.get(), L"Sensor.DeviceID=\"1\"", L"Sensor", kClassPath),
              kFailed);
    EXPECT_EQ(ValidateObjectPath(factory_.get(), L"Sensor.DeviceID=\"1\"", L"Sensor",
                                 WBEMPATH_INFO_IS_INST_REF),
              S_OK);
}

TEST_F(ObjectPathTest, WithoutAParserOrAPathNothingIsValid) {
    EXPECT_EQ(ValidateObjectPath(nullptr, L"Sensor.DeviceID=\"1\"", L"Sensor", kInstancePathKinds),
              kInvalidParameter);
    EXPECT_EQ(ValidateObjectPath(factory_.get(), nullptr, L"Sensor", kInstancePathKinds),
              kInvalidParameter);
    std::array<std::string, 1> wanted;
    const std::array<const wchar_t*, 1> names{L"DeviceID"};
    EXPECT_EQ(ReadPathKeys(nullptr, L"Sensor.DeviceID=\"1\"", names, wanted), kFailed);
}

constexpr std::array<const wchar_t*, 4> kSensorKeys{L"CreationClassName", L"DeviceID",
                                                    L"SystemCreationClassName", L"SystemName"};

TEST_F(ObjectPathTest, ReadsEveryKeyOfAFourKeyPath) {
    // Each name is read into the same buffer: a short name must not shrink it for the
    // longer one after it.
    std::array<std::string, 4> wanted;
    ASSERT_EQ(ReadPathKeys(factory_.get(),
                           L"Sensor.DeviceID=\"16.0.32\",Y=\"y\",SystemCreationClassName="
                           L"\"ComputerSystem\",SystemName=\"IPMI Controller 0\","
                           L"CreationClassName=\"Sensor\"",
                           kSensorKeys, wanted),
              S_OK);
    EXPECT_EQ(wanted[0], "Sensor");
    EXPECT_EQ(wanted[1], "16.0.32");
    EXPECT_EQ(wanted[2], "ComputerSystem");
    EXPECT_EQ(wanted[3], "IPMI Controller 0");
}

TEST_F(ObjectPathTest, KeyNamesMatchInAnyLetterCaseAndValuesAreKeptAsTheyAre) {
    std::array<std::string, 4> wanted;
    ASSERT_EQ(ReadPathKeys(factory_.get(),
                           L"sensor.creationclassname=\"sensor\",DEVICEID=\"1.0.\\\"q\\\"\"",
                           kSensorKeys, wanted),
              S_OK);
    EXPECT_EQ(wanted[0], "sensor");
    EXPECT_EQ(wanted[1], "1.0.\"q\"");
    EXPECT_EQ(wanted[2], "") << "a key the path does not give stays empty";
    EXPECT_EQ(wanted[3], "");
}

TEST_F(ObjectPathTest, OnlyStringKeysAreRead) {
    std::array<std::string, 2> wanted{"untouched", "untouched"};
    const std::array<const wchar_t*, 2> names{L"Id", L"Flag"};
    ASSERT_EQ(ReadPathKeys(factory_.get(), L"Thing.Id=42,Flag=TRUE", names, wanted), S_OK);
    EXPECT_EQ(wanted[0], "untouched");
    EXPECT_EQ(wanted[1], "untouched");
    ASSERT_EQ(ReadPathKeys(factory_.get(), L"Thing.Id=\"42\",Flag=\"TRUE\"", names, wanted), S_OK);
    EXPECT_EQ(wanted[0], "42");
    EXPECT_EQ(wanted[1], "TRUE");
}

TEST_F(ObjectPathTest, AKeyWithoutANameMatchesNoKeyName) {
    std::array<std::string, 1> wanted;
    const std::array<const wchar_t*, 1> names{L"InstanceID"};
    ASSERT_EQ(ReadPathKeys(factory_.get(), L"SystemSpecificCollection=\"0:0\"", names, wanted),
              S_OK);
    EXPECT_EQ(wanted[0], "");
}

}  // namespace
}  // namespace norv::win
