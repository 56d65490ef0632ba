// Object-path validation and key reading through the object-path parser the host registers
// under Windows' class id, exactly as the providers reach it (the paths and their answers are
// tests/data/win/object_paths.txt).
#include "host/object_path_keys.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "com/utility_parsers.h"
#include "host/wbem_status.h"
#include "platform/win_resource.h"
#include "support/case_file.h"

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

std::string StatusText(HRESULT hr) {
    if (hr == S_OK) return "S_OK";
    if (hr == kWbemFailed) return "WBEM_E_FAILED";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

TEST_F(ObjectPathTest, ValidatesPathsAndReadsTheirKeysAsReviewed) {
    test::ExpectCases("object_paths.txt", [&](const std::string& input) {
        std::istringstream in(input);
        std::string command, names, kind, narrowPath;
        in >> command >> names;
        if (command == "validate") in >> kind;
        std::getline(in >> std::ws, narrowPath);
        const std::wstring path(narrowPath.begin(), narrowPath.end());
        if (command == "validate") {
            const ULONGLONG kinds = kind == "class"       ? ULONGLONG{WBEMPATH_INFO_IS_CLASS_REF}
                                    : kind == "reference" ? ULONGLONG{WBEMPATH_INFO_IS_INST_REF}
                                                          : kInstancePathKinds;
            return StatusText(ValidateObjectPath(factory_.get(), path.c_str(),
                                                 std::wstring(names.begin(), names.end()), kinds));
        }
        std::vector<std::wstring> keyNames;
        for (std::istringstream list(names); std::getline(list, kind, ',');)
            keyNames.emplace_back(kind.begin(), kind.end());
        std::vector<const wchar_t*> keys;
        for (const std::wstring& name : keyNames) keys.push_back(name.c_str());
        std::vector<std::string> wanted(keys.size(), "-");
        const HRESULT hr = ReadPathKeys(factory_.get(), path.c_str(), keys, wanted);
        std::string answer = hr == S_OK ? "" : StatusText(hr) + " ";
        for (std::size_t i = 0; i < wanted.size(); ++i) answer += (i ? "|" : "") + wanted[i];
        return answer;
    });
}

// What a case file cannot hold: an empty path, no parser or no path, and long keys (a key of
// no meaning is passed over whatever its length, a long value is read whole).
TEST_F(ObjectPathTest, EmptyMissingAndLongPaths) {
    EXPECT_NE(ValidateObjectPath(factory_.get(), L"", L"Sensor", kInstancePathKinds), S_OK);
    EXPECT_NE(ValidateObjectPath(factory_.get(), L"", L"Sensor", kInstancePathKinds), kWbemFailed);
    EXPECT_EQ(ValidateObjectPath(nullptr, L"Sensor.DeviceID=\"1\"", L"Sensor", kInstancePathKinds),
              kWbemInvalidParameter);
    EXPECT_EQ(ValidateObjectPath(factory_.get(), nullptr, L"Sensor", kInstancePathKinds),
              kWbemInvalidParameter);
    std::array<std::string, 2> wanted;
    const std::array<const wchar_t*, 2> names{L"Id", L"Flag"};
    EXPECT_EQ(ReadPathKeys(nullptr, L"Thing.Id=\"1\"", names, wanted), kWbemFailed);
    const std::wstring longText(65536, L'K');
    const std::wstring longName = L"Thing.Id=\"a\"," + longText + L"=\"x\"";
    ASSERT_EQ(ReadPathKeys(factory_.get(), longName.c_str(), names, wanted), S_OK);
    EXPECT_EQ(wanted, (std::array<std::string, 2>{"a", ""}));
    ASSERT_EQ(
        ReadPathKeys(factory_.get(), (L"Thing.Id=\"" + longText + L"\"").c_str(), names, wanted),
        S_OK);
    EXPECT_EQ(wanted[0], std::string(longText.begin(), longText.end()));
}

}  // namespace
}  // namespace norv::win
