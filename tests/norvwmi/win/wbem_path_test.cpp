// The host's object-path parser against Windows' behaviour, for what the provider calls:
// SetText, GetInfo, GetClassName, GetKeyList and GetKey2 with its buffer rule.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "com/path_parser_factory.h"
#include "com/utility_parsers.h"
#include "com/wbem_path.h"
#include "com/wbem_status.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using norv::win::UniqueVariant;

constexpr ULONG kSentinel = 0xdeadbeef;

// GetInfo bits as the cases below combine them.
constexpr ULONGLONG kLocal = WBEMPATH_INFO_ANON_LOCAL_MACHINE;
constexpr ULONGLONG kParsed = WBEMPATH_INFO_V2_COMPLIANT | WBEMPATH_INFO_CIM_COMPLIANT;
constexpr ULONGLONG kHadServer = WBEMPATH_INFO_PATH_HAD_SERVER;
constexpr ULONGLONG kNoClass = kLocal | WBEMPATH_INFO_SERVER_NAMESPACE_ONLY;
constexpr ULONGLONG kClassRef =
    kLocal | WBEMPATH_INFO_HAS_SUBSCOPES | WBEMPATH_INFO_IS_CLASS_REF | kParsed;
constexpr ULONGLONG kInstanceRef =
    kLocal | WBEMPATH_INFO_HAS_SUBSCOPES | WBEMPATH_INFO_IS_INST_REF | kParsed;
constexpr ULONGLONG kCompound = kInstanceRef | WBEMPATH_INFO_IS_COMPOUND;
constexpr ULONGLONG kRemoteInstanceRef =
    (kInstanceRef & ~kLocal) | WBEMPATH_INFO_HAS_MACHINE_NAME | kHadServer;

constexpr ULONG kAll = WBEMPATH_CREATE_ACCEPT_ALL;

ComPtr<IWbemPath> NewHostPath() {
    return ComPtr<IWbemPath>(WbemPath::Create().get());
}

// Extra terminators make certain what a parser reading past the end of a malformed text
// finds there.
std::vector<wchar_t> Terminated(const std::wstring& text) {
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 8, L'\0');
    return buffer;
}

// What a parser answers about one path.
struct PathAnswer {
    HRESULT setText = S_OK;
    ULONGLONG info = 0;
    const wchar_t* className = nullptr;  // null: GetClassName gives WBEM_E_INVALID_OBJECT_PATH
    ULONG namespaces = 0;
    std::optional<ULONG> keyCount;  // none: GetKeyList refuses (the path has no class)
};

const PathAnswer kRejected{Wbem(WBEM_E_INVALID_PARAMETER), kNoClass, nullptr, 0, std::nullopt};

struct ObservedAnswer {
    HRESULT setText = S_OK;
    ULONGLONG info = 0;
    std::optional<std::wstring> className;
    ULONG namespaces = 0;
    std::optional<ULONG> keyCount;
};

ObservedAnswer Observe(IWbemPath* path, const std::wstring& text, ULONG mode) {
    ObservedAnswer answer;
    answer.setText = path->SetText(mode, Terminated(text).data());
    answer.info = kSentinel;
    EXPECT_EQ(path->GetInfo(0, &answer.info), S_OK);

    const ULONG capacity = static_cast<ULONG>(text.size() + 1);
    std::vector<wchar_t> name(capacity, L'#');
    ULONG length = capacity;
    const HRESULT named = path->GetClassName(&length, name.data());
    if (named == S_OK) {
        answer.className = std::wstring(name.data());
        EXPECT_EQ(length, answer.className->size() + 1);
    } else {
        EXPECT_EQ(named, Wbem(WBEM_E_INVALID_OBJECT_PATH));
        EXPECT_EQ(length, capacity);  // a failure keeps the out-parameters
        EXPECT_EQ(name[0], L'#');
    }

    answer.namespaces = kSentinel;
    EXPECT_EQ(path->GetNamespaceCount(&answer.namespaces), S_OK);

    ComPtr<IWbemPathKeyList> keys;
    const HRESULT listed = path->GetKeyList(keys.put());
    if (listed == S_OK) {
        ULONG count = kSentinel;
        EXPECT_EQ(keys->GetCount(&count), S_OK);
        answer.keyCount = count;
    } else {
        EXPECT_EQ(listed, Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_FALSE(keys);
    }
    return answer;
}

void ExpectAnswer(const ObservedAnswer& actual, const PathAnswer& expected) {
    EXPECT_EQ(actual.setText, expected.setText);
    EXPECT_EQ(actual.info, expected.info)
        << std::hex << "got 0x" << actual.info << ", expected 0x" << expected.info;
    EXPECT_EQ(actual.className,
              expected.className ? std::optional<std::wstring>(expected.className) : std::nullopt);
    EXPECT_EQ(actual.namespaces, expected.namespaces);
    EXPECT_EQ(actual.keyCount, expected.keyCount);
}

struct ExpectedKey {
    std::wstring name;
    VARTYPE type;
    std::wstring value;  // as VariantText writes it
    ULONG cimType;
};

std::wstring VariantText(const VARIANT& v) {
    switch (V_VT(&v)) {
        case VT_BSTR:
            return std::wstring(V_BSTR(&v), ::SysStringLen(V_BSTR(&v)));
        case VT_I4:
            return std::to_wstring(V_I4(&v));
        case VT_UI4:
            return std::to_wstring(V_UI4(&v));
        case VT_I8:
            return std::to_wstring(V_I8(&v));
        case VT_UI8:
            return std::to_wstring(V_UI8(&v));
        case VT_BOOL:
            return V_BOOL(&v) == VARIANT_TRUE ? L"TRUE" : V_BOOL(&v) == 0 ? L"FALSE" : L"?";
        default:
            return L"(type " + std::to_wstring(V_VT(&v)) + L")";
    }
}

// Reads the keys as the provider does, with a name buffer of the path's length plus one that
// is offered whole on every call.
void ExpectKeys(IWbemPath* path, std::size_t pathLength, const std::vector<ExpectedKey>& expected) {
    ComPtr<IWbemPathKeyList> keys;
    ASSERT_EQ(path->GetKeyList(keys.put()), S_OK);
    ULONG count = kSentinel;
    ASSERT_EQ(keys->GetCount(&count), S_OK);
    ASSERT_EQ(count, expected.size());
    std::vector<wchar_t> name(pathLength + 1);
    for (ULONG i = 0; i < count; ++i) {
        SCOPED_TRACE("key " + std::to_string(i));
        ULONG nameLength = static_cast<ULONG>(name.size());
        UniqueVariant value;
        ULONG cimType = kSentinel;
        ASSERT_EQ(keys->GetKey2(i, 0, &nameLength, name.data(), &value, &cimType), S_OK);
        EXPECT_EQ(std::wstring(name.data()), expected[i].name);
        EXPECT_EQ(nameLength, expected[i].name.size() + 1);
        EXPECT_EQ(V_VT(&value), expected[i].type);
        EXPECT_EQ(VariantText(value), expected[i].value);
        EXPECT_EQ(cimType, expected[i].cimType);
    }
}

struct PathCase {
    std::string label;
    std::wstring text;
    ULONG mode;
    PathAnswer windows;
    std::vector<ExpectedKey> keys;
};

std::vector<PathCase> PathCases() {
    const std::wstring sensorKeys =
        L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"4.0.32\","
        L"SystemCreationClassName=\"ComputerSystem\",SystemName=\"IPMI Controller 32\"";
    const std::wstring longValue(5000, L'7');
    const std::wstring longName(3000, L'k');

    return {
        {"named string key",
         L"Sensor.DeviceID=\"1.0.0\"",
         kAll,
         {S_OK, kInstanceRef, L"Sensor", 0, 1},
         {{L"DeviceID", VT_BSTR, L"1.0.0", CIM_STRING}}},
        {"letter case kept",
         L"sensor.deviceid=\"1.0.0\"",
         kAll,
         {S_OK, kInstanceRef, L"sensor", 0, 1},
         {{L"deviceid", VT_BSTR, L"1.0.0", CIM_STRING}}},
        {"compound key",
         sensorKeys,
         kAll,
         {S_OK, kCompound, L"Sensor", 0, 4},
         {{L"CreationClassName", VT_BSTR, L"Sensor", CIM_STRING},
          {L"DeviceID", VT_BSTR, L"4.0.32", CIM_STRING},
          {L"SystemCreationClassName", VT_BSTR, L"ComputerSystem", CIM_STRING},
          {L"SystemName", VT_BSTR, L"IPMI Controller 32", CIM_STRING}}},
        {"class only", L"Sensor", kAll, {S_OK, kClassRef, L"Sensor", 0, 0}, {}},
        {"singleton",
         L"Sensor=@",
         kAll,
         {S_OK, kInstanceRef | WBEMPATH_INFO_IS_SINGLETON | WBEMPATH_INFO_CONTAINS_SINGLETON,
          L"Sensor", 0, 0},
         {}},
        {"unnamed key",
         L"Sensor=\"x\"",
         kAll,
         {S_OK, kInstanceRef | WBEMPATH_INFO_HAS_IMPLIED_KEY, L"Sensor", 0, 1},
         {{L"", VT_BSTR, L"x", CIM_STRING}}},
        {"integer key",
         L"Numbered.Index=42",
         kAll,
         {S_OK, kInstanceRef, L"Numbered", 0, 1},
         {{L"Index", VT_I4, L"42", CIM_SINT32}}},
        {"integer widths",
         L"Numbers.A=-7,B=2147483647,C=2147483648,D=4294967295,E=4294967296,F=-2147483648,"
         L"G=-2147483649,H=18446744073709551615,I=0x1F",
         kAll,
         {S_OK, kCompound, L"Numbers", 0, 9},
         {{L"A", VT_I4, L"-7", CIM_SINT32},
          {L"B", VT_I4, L"2147483647", CIM_SINT32},
          {L"C", VT_UI4, L"2147483648", CIM_UINT32},
          {L"D", VT_UI4, L"4294967295", CIM_UINT32},
          {L"E", VT_I8, L"4294967296", CIM_SINT64},
          {L"F", VT_I4, L"-2147483648", CIM_SINT32},
          {L"G", VT_I8, L"-2147483649", CIM_SINT64},
          {L"H", VT_UI8, L"18446744073709551615", CIM_UINT64},
          {L"I", VT_I4, L"31", CIM_SINT32}}},
        {"boolean keys",
         L"Switch.On=TRUE,Off=false",
         kAll,
         {S_OK, kCompound, L"Switch", 0, 2},
         {{L"On", VT_BOOL, L"TRUE", CIM_BOOLEAN}, {L"Off", VT_BOOL, L"FALSE", CIM_BOOLEAN}}},
        {"escaped quote and backslash",
         L"Sensor.ElementName=\"Fan \\\"A\\\" \\\\ 2\"",
         kAll,
         {S_OK, kInstanceRef, L"Sensor", 0, 1},
         {{L"ElementName", VT_BSTR, L"Fan \"A\" \\ 2", CIM_STRING}}},
        {"local server and namespace",
         L"\\\\.\\root\\cimv2\\ipmi:Sensor.DeviceID=\"v\"",
         kAll,
         {S_OK, kInstanceRef | kHadServer, L"Sensor", 3, 1},
         {{L"DeviceID", VT_BSTR, L"v", CIM_STRING}}},
        {"named server",
         L"\\\\mgmt01\\root\\ipmi:Sensor.DeviceID=\"v\"",
         kAll,
         {S_OK, kRemoteInstanceRef, L"Sensor", 2, 1},
         {{L"DeviceID", VT_BSTR, L"v", CIM_STRING}}},
        {"slashes",
         L"//./root/ipmi:Sensor.DeviceID=\"v\"",
         kAll,
         {S_OK, kInstanceRef | kHadServer, L"Sensor", 2, 1},
         {{L"DeviceID", VT_BSTR, L"v", CIM_STRING}}},
        {"colon and backslash quoted",
         L"\\\\.\\root\\cimv2:Win32_Directory.Name=\"c:\\\\windows\"",
         kAll,
         {S_OK, kInstanceRef | kHadServer, L"Win32_Directory", 2, 1},
         {{L"Name", VT_BSTR, L"c:\\windows", CIM_STRING}}},
        {"duplicate key",
         L"Sensor.DeviceID=\"1\",DeviceID=\"2\"",
         kAll,
         {S_OK, kCompound, L"Sensor", 0, 2},
         {{L"DeviceID", VT_BSTR, L"1", CIM_STRING}, {L"DeviceID", VT_BSTR, L"2", CIM_STRING}}},
        {"long value",
         L"Sensor.DeviceID=\"" + longValue + L"\"",
         kAll,
         {S_OK, kInstanceRef, L"Sensor", 0, 1},
         {{L"DeviceID", VT_BSTR, longValue, CIM_STRING}}},
        {"long key name",
         L"Sensor." + longName + L"=1",
         kAll,
         {S_OK, kInstanceRef, L"Sensor", 0, 1},
         {{longName, VT_I4, L"1", CIM_SINT32}}},
        {"empty text", L"", kAll, {S_OK, kNoClass, nullptr, 0, std::nullopt}, {}},
        {"parent",
         L"..",
         kAll,
         {S_OK, kNoClass | WBEMPATH_INFO_IS_PARENT | kParsed, nullptr, 0, std::nullopt},
         {}},
        {"namespace only",
         L"root\\cimv2",
         kAll,
         {S_OK, kNoClass | kParsed, nullptr, 2, std::nullopt},
         {}},
        {"server and namespace only",
         L"\\\\.\\root\\cimv2",
         kAll,
         {S_OK, kNoClass | kParsed | kHadServer, nullptr, 2, std::nullopt},
         {}},
        {"server only",
         L"\\\\server",
         kAll,
         {S_OK,
          WBEMPATH_INFO_HAS_MACHINE_NAME | WBEMPATH_INFO_SERVER_NAMESPACE_ONLY | kParsed |
              kHadServer,
          nullptr, 0, std::nullopt},
         {}},
        // Malformed paths.
        {"unterminated quote",
         L"Sensor.DeviceID=\"1.0.0",
         kAll,
         kRejected,
         {}},
        {"missing value", L"Sensor.DeviceID=", kAll, kRejected, {}},
        {"blanks around =", L"Sensor.DeviceID = \"1.0.0\"", kAll, kRejected, {}},
        {"missing key name", L"Sensor.=", kAll, kRejected, {}},
        {"trailing comma",
         L"Sensor.DeviceID=\"1\",",
         kAll,
         kRejected,
         {}},
        {"unquoted word",
         L"Sensor.DeviceID=abc",
         kAll,
         kRejected,
         {}},
        {"text after the quote",
         L"Sensor.DeviceID=\"1\"x",
         kAll,
         kRejected,
         {}},
        {"integer beyond 64 bits",
         L"Numbered.Index=18446744073709551616",
         kAll,
         kRejected,
         {}},
        // The modes of SetText.
    };
}

TEST(WbemPath, ParsesEachCaseAsWindowsDoes) {
    for (const PathCase& c : PathCases()) {
        SCOPED_TRACE(c.label);
        auto path = NewHostPath();
        ExpectAnswer(Observe(path.get(), c.text, c.mode), c.windows);
        if (c.windows.setText == S_OK && c.windows.keyCount) {
            ExpectKeys(path.get(), c.text.size(), c.keys);
        }
    }
}

TEST(WbemPath, AFailedSetTextClearsTheEarlierPath) {
    auto path = NewHostPath();
    ASSERT_EQ(path->SetText(kAll, L"\\\\.\\root\\ipmi:Sensor.DeviceID=\"1\""), S_OK);
    EXPECT_EQ(path->SetText(kAll, L"Sensor.DeviceID="), Wbem(WBEM_E_INVALID_PARAMETER));
    ExpectAnswer(Observe(path.get(), L"Sensor.DeviceID=", kAll), kRejected);
    wchar_t text[8] = L"#";
    ULONG length = 8;
    EXPECT_EQ(path->GetText(WBEMPATH_GET_ORIGINAL, &length, text), S_OK);
    EXPECT_EQ(std::wstring(text), L"");
    EXPECT_EQ(path->SetText(kAll, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
}

// The provider offers its buffer of the path's length plus one; a caller that passes back
// the length an earlier key left behind offers less than it has, and a longer later name
// does not fit.
TEST(WbemPathKeyList, ANameLengthLeftFromAShorterKeyIsTooSmallForALongerOne) {
    const std::wstring text =
        L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"4.0.32\","
        L"SystemCreationClassName=\"ComputerSystem\",SystemName=\"IPMI Controller 32\"";
    auto path = NewHostPath();
    ASSERT_EQ(path->SetText(kAll, text.c_str()), S_OK);
    ComPtr<IWbemPathKeyList> keys;
    ASSERT_EQ(path->GetKeyList(keys.put()), S_OK);
    std::vector<wchar_t> name(text.size() + 1);
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

TEST(PathParserFactory, MakesPathsAndRefusesAggregation) {
    auto factory = PathParserFactory::Create();
    ComPtr<IWbemPath> path;
    ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(IWbemPath), path.put_void()), S_OK);
    ComPtr<IWbemPathKeyList> keys;
    EXPECT_EQ(path.query(keys), E_NOINTERFACE);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()),
                                      __uuidof(IWbemPath), &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IWbemQuery), &object), E_NOINTERFACE);
}

}  // namespace
}  // namespace norvwmi
