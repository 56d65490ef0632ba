// The host's object-path parser as Windows answers, for what the provider calls: SetText,
// GetInfo, GetClassName, GetKeyList and GetKey2 with its buffer rule.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "com/wbem_path.h"
#include "com/wbem_status.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using norv::win::UniqueVariant;

constexpr ULONG kSentinel = 0xdeadbeef;
constexpr ULONG kAll = WBEMPATH_CREATE_ACCEPT_ALL;
constexpr ULONGLONG kLocal = WBEMPATH_INFO_ANON_LOCAL_MACHINE;
constexpr ULONGLONG kParsed = WBEMPATH_INFO_V2_COMPLIANT | WBEMPATH_INFO_CIM_COMPLIANT;
constexpr ULONGLONG kInstanceRef =
    kLocal | WBEMPATH_INFO_HAS_SUBSCOPES | WBEMPATH_INFO_IS_INST_REF | kParsed;

const std::wstring kSensorPath =
    L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"4.0.32\","
    L"SystemCreationClassName=\"ComputerSystem\",SystemName=\"IPMI Controller 32\"";

struct Key {
    std::wstring name;
    std::wstring text;  // VT_BSTR and CIM_STRING; empty name: the VT_I4 value 42
};

struct PathCase {
    std::wstring text;
    HRESULT setText;
    ULONGLONG info;
    const wchar_t* className;  // null: GetClassName gives WBEM_E_INVALID_OBJECT_PATH
    ULONG namespaces;
    std::vector<Key> keys;
};

TEST(WbemPath, AnswersThePathsTheProviderReadsAsWindowsDoes) {
    const ULONGLONG rejected = kLocal | WBEMPATH_INFO_SERVER_NAMESPACE_ONLY;
    const PathCase cases[] = {
        {L"Sensor.DeviceID=\"1.0.0\"", S_OK, kInstanceRef, L"Sensor", 0, {{L"DeviceID", L"1.0.0"}}},
        {kSensorPath,
         S_OK,
         kInstanceRef | WBEMPATH_INFO_IS_COMPOUND,
         L"Sensor",
         0,
         {{L"CreationClassName", L"Sensor"},
          {L"DeviceID", L"4.0.32"},
          {L"SystemCreationClassName", L"ComputerSystem"},
          {L"SystemName", L"IPMI Controller 32"}}},
        {L"Sensor",
         S_OK,
         (kInstanceRef & ~WBEMPATH_INFO_IS_INST_REF) | WBEMPATH_INFO_IS_CLASS_REF,
         L"Sensor",
         0,
         {}},
        {L"Numbered.Index=42", S_OK, kInstanceRef, L"Numbered", 0, {{L"Index", L""}}},
        {L"Sensor.ElementName=\"Fan \\\"A\\\" \\\\ 2\"",
         S_OK,
         kInstanceRef,
         L"Sensor",
         0,
         {{L"ElementName", L"Fan \"A\" \\ 2"}}},
        {L"\\\\.\\root\\cimv2\\ipmi:Sensor.DeviceID=\"v\"",
         S_OK,
         kInstanceRef | WBEMPATH_INFO_PATH_HAD_SERVER,
         L"Sensor",
         3,
         {{L"DeviceID", L"v"}}},
        // A server alone ends with the text: nothing past it is read.
        {L"\\\\server",
         S_OK,
         WBEMPATH_INFO_HAS_MACHINE_NAME | WBEMPATH_INFO_SERVER_NAMESPACE_ONLY | kParsed |
             WBEMPATH_INFO_PATH_HAD_SERVER,
         nullptr,
         0,
         {}},
        {L"Sensor.DeviceID=\"1.0.0", Wbem(WBEM_E_INVALID_PARAMETER), rejected, nullptr, 0, {}},
        {L"Sensor.DeviceID=", Wbem(WBEM_E_INVALID_PARAMETER), rejected, nullptr, 0, {}},
        {L"Sensor.DeviceID=\"1\",", Wbem(WBEM_E_INVALID_PARAMETER), rejected, nullptr, 0, {}},
        {L"Sensor.DeviceID=\"1\"x", Wbem(WBEM_E_INVALID_PARAMETER), rejected, nullptr, 0, {}},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        // A path that failed before: a failed SetText must clear it.
        ComPtr<IWbemPath> path(WbemPath::Create().get());
        ASSERT_EQ(path->SetText(kAll, L"\\\\.\\root\\ipmi:Other.Key=\"1\""), S_OK);
        // Extra terminators make certain what a parser reading past the end finds there.
        std::vector<wchar_t> text(c.text.begin(), c.text.end());
        text.resize(c.text.size() + 8, L'\0');
        EXPECT_EQ(path->SetText(kAll, text.data()), c.setText);
        ULONGLONG info = kSentinel;
        EXPECT_EQ(path->GetInfo(0, &info), S_OK);
        EXPECT_EQ(info, c.info) << std::hex << info;
        ULONG namespaces = kSentinel;
        EXPECT_EQ(path->GetNamespaceCount(&namespaces), S_OK);
        EXPECT_EQ(namespaces, c.namespaces);

        std::vector<wchar_t> name(c.text.size() + 1, L'#');
        ULONG length = static_cast<ULONG>(name.size());
        const HRESULT named = path->GetClassName(&length, name.data());
        ComPtr<IWbemPathKeyList> keys;
        const HRESULT listed = path->GetKeyList(keys.put());
        if (!c.className) {
            EXPECT_EQ(named, Wbem(WBEM_E_INVALID_OBJECT_PATH));
            EXPECT_EQ(length, name.size());  // a failure keeps the out-parameters
            EXPECT_EQ(name[0], L'#');
            EXPECT_EQ(listed, Wbem(WBEM_E_INVALID_PARAMETER));
            continue;
        }
        ASSERT_EQ(named, S_OK);
        EXPECT_EQ(std::wstring(name.data()), c.className);
        EXPECT_EQ(length, wcslen(c.className) + 1);
        ASSERT_EQ(listed, S_OK);
        ULONG count = kSentinel;
        EXPECT_EQ(keys->GetCount(&count), S_OK);
        ASSERT_EQ(count, c.keys.size());
        // The provider offers a name buffer of the path's length plus one on every call.
        for (ULONG i = 0; i < count; ++i) {
            ULONG nameLength = static_cast<ULONG>(name.size());
            UniqueVariant value;
            ULONG cimType = kSentinel;
            ASSERT_EQ(keys->GetKey2(i, 0, &nameLength, name.data(), &value, &cimType), S_OK);
            EXPECT_EQ(std::wstring(name.data()), c.keys[i].name);
            EXPECT_EQ(nameLength, c.keys[i].name.size() + 1);
            if (c.keys[i].text.empty()) {
                EXPECT_EQ(V_VT(&value), VT_I4);
                EXPECT_EQ(V_I4(&value), 42);
                EXPECT_EQ(cimType, static_cast<ULONG>(CIM_SINT32));
            } else {
                ASSERT_EQ(V_VT(&value), VT_BSTR);
                EXPECT_EQ(std::wstring(V_BSTR(&value)), c.keys[i].text);
                EXPECT_EQ(cimType, static_cast<ULONG>(CIM_STRING));
            }
        }
    }
    ComPtr<IWbemPath> path(WbemPath::Create().get());
    EXPECT_EQ(path->SetText(kAll, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
}

// A caller that passes back the length an earlier key left behind offers less than it has,
// and a longer later name does not fit.
TEST(WbemPath, ANameLengthLeftFromAShorterKeyIsTooSmallForALongerOne) {
    ComPtr<IWbemPath> path(WbemPath::Create().get());
    ASSERT_EQ(path->SetText(kAll, kSensorPath.c_str()), S_OK);
    ComPtr<IWbemPathKeyList> keys;
    ASSERT_EQ(path->GetKeyList(keys.put()), S_OK);
    std::vector<wchar_t> name(kSensorPath.size() + 1);
    ULONG nameLength = static_cast<ULONG>(name.size());
    UniqueVariant value;
    ULONG cimType = kSentinel;
    ASSERT_EQ(keys->GetKey2(0, 0, &nameLength, name.data(), value.put(), &cimType), S_OK);
    ASSERT_EQ(keys->GetKey2(1, 0, &nameLength, name.data(), value.put(), &cimType), S_OK);
    EXPECT_EQ(nameLength, 9u);  // "DeviceID"
    cimType = kSentinel;
    EXPECT_EQ(keys->GetKey2(2, 0, &nameLength, name.data(), value.put(), &cimType),
              Wbem(WBEM_E_BUFFER_TOO_SMALL));
    EXPECT_EQ(nameLength, 24u);
    EXPECT_EQ(cimType, kSentinel);
}

}  // namespace
}  // namespace norvwmi
