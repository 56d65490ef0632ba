// Object-path validation and key reading through the object-path parser the host registers
// under Windows' class id, exactly as the providers reach it.
#include "host/object_path_keys.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <array>
#include <string>

#include "com/utility_parsers.h"
#include "host/wbem_status.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

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
        {L"\\\\.\\root\\cimv2\\ipmi:ComputerSystem.Name=\"x\"", S_OK},
        {L"ComputerSystem.Name=5", S_OK},
        {L"ComputerSystem", kWbemFailed},  // a class path
        {L"AdminDomain.Name=\"x\"", kWbemFailed},
        {L"ComputerSystems.Name=\"x\"", kWbemFailed},
        {L"Computer.Name=\"x\"", kWbemFailed},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(ValidateObjectPath(factory_.get(), c.path, L"ComputerSystem", kInstancePathKinds),
                  c.expected)
            << testing::PrintToString(std::wstring(c.path));
    }
}

// An unparsable path gives the parser's own failure, not a mismatch; the required kinds
// decide; without a parser or a path nothing is valid.
TEST_F(ObjectPathTest, AnUnparsablePathOrAnotherKindIsRefused) {
    for (const wchar_t* path : {L"ComputerSystem.Name=\"open", L"", L"ComputerSystem.=\"x\""}) {
        const HRESULT hr =
            ValidateObjectPath(factory_.get(), path, L"ComputerSystem", kInstancePathKinds);
        EXPECT_TRUE(FAILED(hr) && hr != kWbemFailed) << testing::PrintToString(std::wstring(path));
    }
    constexpr ULONGLONG kClassPath = WBEMPATH_INFO_IS_CLASS_REF;
    EXPECT_EQ(ValidateObjectPath(factory_.get(), L"Sensor", L"Sensor", kClassPath), S_OK);
    EXPECT_EQ(ValidateObjectPath(factory_.get(), L"Sensor.DeviceID=\"1\"", L"Sensor", kClassPath),
              kWbemFailed);
    EXPECT_EQ(ValidateObjectPath(factory_.get(), L"Sensor.DeviceID=\"1\"", L"Sensor",
                                 WBEMPATH_INFO_IS_INST_REF),
              S_OK);
    EXPECT_EQ(ValidateObjectPath(nullptr, L"Sensor.DeviceID=\"1\"", L"Sensor", kInstancePathKinds),
              kWbemInvalidParameter);
    EXPECT_EQ(ValidateObjectPath(factory_.get(), nullptr, L"Sensor", kInstancePathKinds),
              kWbemInvalidParameter);
    std::array<std::string, 1> wanted;
    EXPECT_EQ(ReadPathKeys(nullptr, L"Sensor.DeviceID=\"1\"",
                           std::array<const wchar_t*, 1>{L"DeviceID"}, wanted),
              kWbemFailed);
}

constexpr std::array<const wchar_t*, 4> kSensorKeys{L"CreationClassName", L"DeviceID",
                                                    L"SystemCreationClassName", L"SystemName"};

// Each name is read into the same buffer: a short name must not shrink it for the longer one
// after it. Key names match in any letter case, values are kept as they are, a key the path
// does not give stays empty.
TEST_F(ObjectPathTest, ReadsEveryKeyOfAFourKeyPath) {
    std::array<std::string, 4> wanted;
    ASSERT_EQ(ReadPathKeys(factory_.get(),
                           L"Sensor.DeviceID=\"16.0.32\",Y=\"y\",SystemCreationClassName="
                           L"\"ComputerSystem\",SystemName=\"IPMI Controller 0\","
                           L"CreationClassName=\"Sensor\"",
                           kSensorKeys, wanted),
              S_OK);
    EXPECT_EQ(wanted, (std::array<std::string, 4>{"Sensor", "16.0.32", "ComputerSystem",
                                                  "IPMI Controller 0"}));
    wanted = {};
    ASSERT_EQ(
        ReadPathKeys(factory_.get(), L"sensor.DEVICEID=\"1.0.\\\"q\\\"\"", kSensorKeys, wanted),
        S_OK);
    EXPECT_EQ(wanted, (std::array<std::string, 4>{"", "1.0.\"q\"", "", ""}));
}

// Only string keys are read; a key without a name matches no key name.
TEST_F(ObjectPathTest, OnlyNamedStringKeysAreRead) {
    std::array<std::string, 2> wanted{"untouched", "untouched"};
    const std::array<const wchar_t*, 2> names{L"Id", L"Flag"};
    ASSERT_EQ(ReadPathKeys(factory_.get(), L"Thing.Id=42,Flag=TRUE", names, wanted), S_OK);
    EXPECT_EQ(wanted, (std::array<std::string, 2>{"untouched", "untouched"}));
    ASSERT_EQ(ReadPathKeys(factory_.get(), L"Thing.Id=\"42\",Flag=\"TRUE\"", names, wanted), S_OK);
    EXPECT_EQ(wanted, (std::array<std::string, 2>{"42", "TRUE"}));
    // A key given twice keeps its last string value; a key of no meaning is passed over,
    // whatever its length, and a long value is read whole.
    const std::wstring longText(65536, L'K');
    const std::wstring twice = L"Thing.Id=\"a\",Flag=\"f\",Id=\"b\",Flag=5," + longText + L"=\"x\"";
    ASSERT_EQ(ReadPathKeys(factory_.get(), twice.c_str(), names, wanted), S_OK);
    EXPECT_EQ(wanted, (std::array<std::string, 2>{"b", "f"}));
    ASSERT_EQ(
        ReadPathKeys(factory_.get(), (L"Thing.Id=\"" + longText + L"\"").c_str(), names, wanted),
        S_OK);
    EXPECT_EQ(wanted[0], std::string(longText.begin(), longText.end()));
    wanted = {"untouched", "untouched"};
    ASSERT_EQ(ReadPathKeys(factory_.get(), L"Thing=\"0:0\"", names, wanted), S_OK);
    EXPECT_EQ(wanted[0], "untouched") << "a key without a name";
}

}  // namespace
}  // namespace norv::win
