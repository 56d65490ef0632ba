// The host's object-path parser against Windows' behaviour (as documented, and as Windows
// answers the cases Wine's own conformance tests record), and against the parser of the
// platform the test runs on: Wine's wmiutils.dll under Wine, Windows' own on Windows. The
// platform's parser is loaded from wmiutils.dll directly, so the host's registration of the
// same class id cannot stand in for it. Under Wine every difference from Windows is listed
// with the case it concerns; on Windows the two parsers must agree everywhere.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
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
constexpr ULONG kRelative = WBEMPATH_CREATE_ACCEPT_RELATIVE;
constexpr ULONG kAbsolute = WBEMPATH_CREATE_ACCEPT_ABSOLUTE;
constexpr ULONG kSingleIdentAsNamespace = WBEMPATH_TREAT_SINGLE_IDENT_AS_NS;

std::string Narrow(std::wstring_view text) {
    return std::string(text.begin(), text.end());
}

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The platform's own object-path parser, from wmiutils.dll.
class PlatformParser {
public:
    PlatformParser() : module_(::LoadLibraryW(L"wmiutils.dll"), &::FreeLibrary) {
        using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        if (!module_) return;
        const auto get = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(::GetProcAddress(module_.get(), "DllGetClassObject")));
        if (get) get(kPathParserClsid, __uuidof(IClassFactory), factory_.put_void());
    }
    PlatformParser(const PlatformParser&) = delete;
    PlatformParser& operator=(const PlatformParser&) = delete;
    ~PlatformParser() { factory_.reset(); }

    bool Available() const { return static_cast<bool>(factory_); }
    ComPtr<IWbemPath> NewPath() const {
        ComPtr<IWbemPath> path;
        EXPECT_EQ(factory_->CreateInstance(nullptr, __uuidof(IWbemPath), path.put_void()), S_OK);
        return path;
    }

private:
    std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> module_;
    ComPtr<IClassFactory> factory_;
};

ComPtr<IWbemPath> NewHostPath() {
    return ComPtr<IWbemPath>(WbemPath::Create().get());
}

// Wine's parser reads past the terminator of some malformed texts; extra terminators make
// what it finds there certain.
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
    std::optional<PathAnswer> wine = std::nullopt;  // Wine 8's answer, where it differs
    const char* wineDifference = "";
};

std::vector<PathCase> PathCases() {
    const std::wstring sensorKeys =
        L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"4.0.32\","
        L"SystemCreationClassName=\"ComputerSystem\",SystemName=\"IPMI Controller 32\"";
    const std::wstring longValue(5000, L'7');
    const std::wstring longName(3000, L'k');
    const char* const wineIsCompoundMissing = "Wine never reports WBEMPATH_INFO_IS_COMPOUND";
    const char* const wineClassToFirstDot = "Wine takes the text up to the first '.' as the class";
    const char* const wineNoValueCheck = "Wine keeps the text after '=' up to ',' unchecked";
    const char* const wineAnyMode = "Wine accepts any text in any non-zero mode";
    const char* const wineEmptyClass = "Wine gives a path without a class an empty class name";

    auto wineAnswer = [](ULONGLONG info, const wchar_t* className, ULONG namespaces,
                         ULONG keyCount) {
        return PathAnswer{S_OK, info, className, namespaces, keyCount};
    };

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
          {L"SystemName", VT_BSTR, L"IPMI Controller 32", CIM_STRING}},
         wineAnswer(kInstanceRef, L"Sensor", 0, 4),
         wineIsCompoundMissing},
        {"class only", L"Sensor", kAll, {S_OK, kClassRef, L"Sensor", 0, 0}, {}},
        {"singleton",
         L"Sensor=@",
         kAll,
         {S_OK, kInstanceRef | WBEMPATH_INFO_IS_SINGLETON | WBEMPATH_INFO_CONTAINS_SINGLETON,
          L"Sensor", 0, 0},
         {},
         wineAnswer(kClassRef, L"Sensor=@", 0, 0),
         wineClassToFirstDot},
        {"unnamed key",
         L"Sensor=\"x\"",
         kAll,
         {S_OK, kInstanceRef | WBEMPATH_INFO_HAS_IMPLIED_KEY, L"Sensor", 0, 1},
         {{L"", VT_BSTR, L"x", CIM_STRING}},
         wineAnswer(kClassRef, L"Sensor=\"x\"", 0, 0),
         wineClassToFirstDot},
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
          {L"I", VT_I4, L"31", CIM_SINT32}},
         wineAnswer(kInstanceRef, L"Numbers", 0, 9),
         wineIsCompoundMissing},
        {"boolean keys",
         L"Switch.On=TRUE,Off=false",
         kAll,
         {S_OK, kCompound, L"Switch", 0, 2},
         {{L"On", VT_BOOL, L"TRUE", CIM_BOOLEAN}, {L"Off", VT_BOOL, L"FALSE", CIM_BOOLEAN}},
         wineAnswer(kInstanceRef, L"Switch", 0, 2),
         wineIsCompoundMissing},
        {"escaped quote and backslash",
         L"Sensor.ElementName=\"Fan \\\"A\\\" \\\\ 2\"",
         kAll,
         {S_OK, kInstanceRef, L"Sensor", 0, 1},
         {{L"ElementName", VT_BSTR, L"Fan \"A\" \\ 2", CIM_STRING}},
         wineAnswer(kClassRef, L"", 5, 0),
         "Wine takes every backslash, even in a quoted value, for a namespace separator"},
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
         {{L"DeviceID", VT_BSTR, L"1", CIM_STRING}, {L"DeviceID", VT_BSTR, L"2", CIM_STRING}},
         wineAnswer(kInstanceRef, L"Sensor", 0, 2),
         wineIsCompoundMissing},
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
         {},
         kRejected,
         "Wine takes '.' for a key without a value"},
        {"namespace only",
         L"root\\cimv2",
         kAll,
         {S_OK, kNoClass | kParsed, nullptr, 2, std::nullopt},
         {},
         wineAnswer(kClassRef, L"", 2, 0),
         wineEmptyClass},
        {"server and namespace only",
         L"\\\\.\\root\\cimv2",
         kAll,
         {S_OK, kNoClass | kParsed | kHadServer, nullptr, 2, std::nullopt},
         {},
         wineAnswer(kClassRef | kHadServer, L"", 2, 0),
         wineEmptyClass},
        {"server only",
         L"\\\\server",
         kAll,
         {S_OK,
          WBEMPATH_INFO_HAS_MACHINE_NAME | WBEMPATH_INFO_SERVER_NAMESPACE_ONLY | kParsed |
              kHadServer,
          nullptr, 0, std::nullopt},
         {},
         wineAnswer((kClassRef & ~kLocal) | WBEMPATH_INFO_HAS_MACHINE_NAME | kHadServer, L"", 0, 0),
         wineEmptyClass},
        // Malformed paths.
        {"unterminated quote",
         L"Sensor.DeviceID=\"1.0.0",
         kAll,
         kRejected,
         {},
         wineAnswer(kInstanceRef, L"Sensor", 0, 1),
         wineNoValueCheck},
        {"missing value", L"Sensor.DeviceID=", kAll, kRejected, {}},
        {"blanks around =", L"Sensor.DeviceID = \"1.0.0\"", kAll, kRejected, {}},
        {"missing key name", L"Sensor.=", kAll, kRejected, {}},
        {"trailing comma",
         L"Sensor.DeviceID=\"1\",",
         kAll,
         kRejected,
         {},
         wineAnswer(kInstanceRef, L"Sensor", 0, 2),
         wineNoValueCheck},
        {"unquoted word",
         L"Sensor.DeviceID=abc",
         kAll,
         kRejected,
         {},
         wineAnswer(kInstanceRef, L"Sensor", 0, 1),
         wineNoValueCheck},
        {"text after the quote",
         L"Sensor.DeviceID=\"1\"x",
         kAll,
         kRejected,
         {},
         wineAnswer(kInstanceRef, L"Sensor", 0, 1),
         wineNoValueCheck},
        {"integer beyond 64 bits",
         L"Numbered.Index=18446744073709551616",
         kAll,
         kRejected,
         {},
         wineAnswer(kInstanceRef, L"Numbered", 0, 1),
         wineNoValueCheck},
        // The modes of SetText.
        {"mode 0", L"//./root/cimv2:Win32_OperatingSystem", 0, kRejected, {}},
        {"server path, relative mode",
         L"//./root/cimv2:Win32_OperatingSystem",
         kRelative,
         {S_OK, kClassRef | kHadServer, L"Win32_OperatingSystem", 2, 0},
         {}},
        {"server path, absolute mode",
         L"//./root/cimv2:Win32_OperatingSystem",
         kAbsolute,
         {S_OK, kClassRef | kHadServer, L"Win32_OperatingSystem", 2, 0},
         {}},
        {"namespace flag alone",
         L"//./root/cimv2:Win32_OperatingSystem",
         kSingleIdentAsNamespace,
         kRejected,
         {},
         wineAnswer(kClassRef | kHadServer, L"Win32_OperatingSystem", 2, 0),
         wineAnyMode},
        {"namespace flag and relative mode",
         L"//./root/cimv2:Win32_OperatingSystem",
         kSingleIdentAsNamespace | kRelative,
         {S_OK, kClassRef | kHadServer, L"Win32_OperatingSystem", 2, 0},
         {}},
        {"no server, absolute mode",
         L"/root/cimv2:Win32_OperatingSystem",
         kAbsolute,
         kRejected,
         {},
         wineAnswer(kClassRef, L"Win32_OperatingSystem", 2, 0),
         wineAnyMode},
        {"no server, relative mode",
         L"/root/cimv2:Win32_OperatingSystem",
         kRelative,
         {S_OK, kClassRef, L"Win32_OperatingSystem", 2, 0},
         {}},
        {"mixed separators are no server",
         L"/\\.\\root\\cimv2:Win32_OperatingSystem",
         kAbsolute,
         kRejected,
         {},
         wineAnswer(kClassRef, L"Win32_OperatingSystem", 4, 0),
         wineAnyMode},
        {"empty text, relative mode",
         L"",
         kRelative,
         kRejected,
         {},
         PathAnswer{S_OK, kNoClass, nullptr, 0, std::nullopt},
         wineAnyMode},
        {"server only, relative mode",
         L"\\\\server",
         kRelative,
         kRejected,
         {},
         wineAnswer((kClassRef & ~kLocal) | WBEMPATH_INFO_HAS_MACHINE_NAME | kHadServer, L"", 0, 0),
         wineAnyMode},
        {"single identifier as namespace",
         L"ipmi",
         kSingleIdentAsNamespace | kAll,
         {S_OK, kNoClass | kParsed, nullptr, 1, std::nullopt},
         {},
         wineAnswer(kClassRef, L"ipmi", 0, 0),
         "Wine ignores WBEMPATH_TREAT_SINGLE_IDENT_AS_NS"},
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

TEST(WbemPath, AgreesWithThePlatformsParser) {
    const PlatformParser platform;
    if (!platform.Available()) GTEST_SKIP() << "wmiutils.dll has no object-path parser";
    const bool wine = UnderWine();
    for (const PathCase& c : PathCases()) {
        SCOPED_TRACE(c.label + (wine && c.wine ? std::string(" (") + c.wineDifference + ")" : ""));
        auto path = platform.NewPath();
        ASSERT_TRUE(path);
        ExpectAnswer(Observe(path.get(), c.text, c.mode), wine && c.wine ? *c.wine : c.windows);
        if (!wine && c.windows.setText == S_OK && c.windows.keyCount) {
            ExpectKeys(path.get(), c.text.size(), c.keys);
        }
    }
}

TEST(WbemPath, WinesParserCannotReadKeys) {
    const PlatformParser platform;
    if (!UnderWine() || !platform.Available()) GTEST_SKIP() << "not Wine's parser";
    auto path = platform.NewPath();
    ASSERT_EQ(path->SetText(kAll, L"Sensor.DeviceID=\"1.0.0\""), S_OK);
    ComPtr<IWbemPathKeyList> keys;
    ASSERT_EQ(path->GetKeyList(keys.put()), S_OK);
    wchar_t name[32];
    ULONG nameLength = 32;
    UniqueVariant value;
    ULONG cimType = kSentinel;
    EXPECT_EQ(keys->GetKey2(0, 0, &nameLength, name, &value, &cimType), E_NOTIMPL);
    BYTE binary[32];
    ULONG valueLength = sizeof binary;
    EXPECT_EQ(keys->GetKey(0, 0, &nameLength, name, &valueLength, binary, &cimType), E_NOTIMPL);
    EXPECT_EQ(cimType, kSentinel);
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

struct TextCase {
    const wchar_t* path;
    LONG flags;
    const wchar_t* text;
    bool windowsObserved;  // the answer Windows gives in Wine's conformance tests
};

constexpr TextCase kTextCases[] = {
    {L"/root/cimv2:Win32_OperatingSystem", WBEMPATH_GET_SERVER_TOO,
     L"\\\\.\\root\\cimv2:Win32_OperatingSystem", true},
    {L"/root/cimv2:Win32_OperatingSystem", WBEMPATH_GET_SERVER_AND_NAMESPACE_ONLY,
     L"\\\\.\\root\\cimv2", true},
    {L"/root/cimv2:Win32_OperatingSystem", WBEMPATH_GET_RELATIVE_ONLY, L"Win32_OperatingSystem",
     true},
    {L"/root/cimv2:Win32_OperatingSystem", WBEMPATH_GET_NAMESPACE_ONLY, L"root\\cimv2", true},
    {L"/root/cimv2:Win32_OperatingSystem", 0, L"root\\cimv2:Win32_OperatingSystem", true},
    {L"/root/cimv2:Win32_OperatingSystem", WBEMPATH_GET_ORIGINAL,
     L"/root/cimv2:Win32_OperatingSystem", true},
    {L"//./root/cimv2", WBEMPATH_GET_SERVER_TOO, L"\\\\.\\root\\cimv2", true},
    {L"root\\cimv2", WBEMPATH_GET_SERVER_TOO, L"\\\\.\\root\\cimv2", true},
    {L"\\\\.\\root\\cimv2:Win32_LogicalDisk.DeviceId=\"C:\"", WBEMPATH_GET_SERVER_TOO,
     L"\\\\.\\root\\cimv2:Win32_LogicalDisk.DeviceId=\"C:\"", true},
    {L"\\\\.\\root\\cimv2:Win32_LogicalDisk.DeviceId=\"C:\"", 0,
     L"root\\cimv2:Win32_LogicalDisk.DeviceId=\"C:\"", true},
    {L"\\\\.\\root\\cimv2:Win32_LogicalDisk.DeviceId=\"C:\"", WBEMPATH_GET_RELATIVE_ONLY,
     L"Win32_LogicalDisk.DeviceId=\"C:\"", true},
    {L"Win32_Service.Name=\"Service\"", WBEMPATH_GET_RELATIVE_ONLY,
     L"Win32_Service.Name=\"Service\"", true},
    {L"", 0, L"", true},
    {L"", WBEMPATH_GET_ORIGINAL, L"", true},
    // The host writes the parsed path back, so escapes, numbers and booleans come out in
    // one spelling.
    {L"Sensor.ElementName=\"Fan \\\"A\\\" \\\\ 2\"", WBEMPATH_GET_RELATIVE_ONLY,
     L"Sensor.ElementName=\"Fan \\\"A\\\" \\\\ 2\"", false},
    {L"Sensor=\"x\"", WBEMPATH_GET_RELATIVE_ONLY, L"Sensor=\"x\"", false},
    {L"Sensor=@", WBEMPATH_GET_SERVER_TOO, L"\\\\.:Sensor=@", false},
    {L"Numbers.A=0x1F,B=true", 0, L"Numbers.A=31,B=TRUE", false},
    {L"\\\\mgmt01\\root\\ipmi:Sensor", WBEMPATH_GET_SERVER_AND_NAMESPACE_ONLY,
     L"\\\\mgmt01\\root\\ipmi", false},
    {L"..", 0, L"..", false},
};

TEST(WbemPath, GetTextComposesEachPart) {
    const PlatformParser platform;
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE(Narrow(c.path) + " flags " + std::to_string(c.flags));
        std::vector<ComPtr<IWbemPath>> parsers{NewHostPath()};
        if (c.windowsObserved && platform.Available()) parsers.push_back(platform.NewPath());
        for (const auto& path : parsers) {
            ASSERT_EQ(path->SetText(kAll, c.path), S_OK);
            wchar_t text[128];
            ULONG length = 128;
            ASSERT_EQ(path->GetText(c.flags, &length, text), S_OK);
            EXPECT_EQ(std::wstring(text), c.text);
            EXPECT_EQ(length, wcslen(c.text) + 1);
        }
    }
}

TEST(WbemPath, GetTextOfAnEmptyPathWithServerIsEmpty) {
    // Windows answers "" here; Wine writes "\\." (a known difference of Wine's).
    auto path = NewHostPath();
    wchar_t text[16] = L"#";
    ULONG length = 16;
    ASSERT_EQ(path->GetText(WBEMPATH_GET_SERVER_TOO, &length, text), S_OK);
    EXPECT_EQ(std::wstring(text), L"");
    EXPECT_EQ(length, 1u);
}

TEST(WbemPath, TextGettersFollowTheBufferRule) {
    const PlatformParser platform;
    std::vector<ComPtr<IWbemPath>> parsers{NewHostPath()};
    if (platform.Available()) parsers.push_back(platform.NewPath());
    for (std::size_t i = 0; i < parsers.size(); ++i) {
        SCOPED_TRACE(i == 0 ? "host" : "platform");
        IWbemPath* path = parsers[i].get();
        // An empty path: what Windows answers in Wine's conformance tests.
        ULONG length = 32;
        EXPECT_EQ(path->GetClassName(nullptr, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(path->GetClassName(&length, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(length, 32u);
        length = 0;
        EXPECT_EQ(path->GetClassName(&length, nullptr), Wbem(WBEM_E_INVALID_OBJECT_PATH));
        EXPECT_EQ(path->GetServer(&length, nullptr), Wbem(WBEM_E_NOT_AVAILABLE));
        EXPECT_EQ(path->GetText(0, nullptr, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
        length = 32;
        EXPECT_EQ(path->GetText(WBEMPATH_GET_ORIGINAL, &length, nullptr),
                  Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(length, 32u);

        ASSERT_EQ(path->SetText(kAll, L"\\\\.\\root\\cimv2:Win32_LogicalDisk.DeviceId=\"C:\""),
                  S_OK);
        length = 0;
        EXPECT_EQ(path->GetClassName(&length, nullptr), S_OK);  // a size query
        EXPECT_EQ(length, 18u);
        wchar_t name[32] = L"#";
        length = 32;
        EXPECT_EQ(path->GetClassName(&length, name), S_OK);
        EXPECT_EQ(std::wstring(name), L"Win32_LogicalDisk");
        EXPECT_EQ(length, 18u);
        length = 32;
        EXPECT_EQ(path->GetServer(&length, name), S_OK);
        EXPECT_EQ(std::wstring(name), L".");
        EXPECT_EQ(length, 2u);
        length = 32;
        EXPECT_EQ(path->GetNamespaceAt(1, &length, name), S_OK);
        EXPECT_EQ(std::wstring(name), L"cimv2");
        EXPECT_EQ(path->GetNamespaceAt(2, &length, name), Wbem(WBEM_E_INVALID_PARAMETER));
        length = 0;
        EXPECT_EQ(path->GetText(WBEMPATH_GET_SERVER_TOO, &length, nullptr), S_OK);
        EXPECT_EQ(length, 47u);
    }

    // A buffer that is too small: the host refuses it and names the length needed (Wine
    // answers S_OK without copying).
    auto path = NewHostPath();
    ASSERT_EQ(path->SetText(kAll, L"\\\\.\\root\\cimv2:Win32_LogicalDisk.DeviceId=\"C:\""), S_OK);
    wchar_t small[8] = L"#";
    ULONG length = 8;
    EXPECT_EQ(path->GetClassName(&length, small), Wbem(WBEM_E_BUFFER_TOO_SMALL));
    EXPECT_EQ(length, 18u);
    EXPECT_EQ(small[0], L'#');
    length = 8;
    EXPECT_EQ(path->GetText(WBEMPATH_GET_SERVER_TOO, &length, small),
              Wbem(WBEM_E_BUFFER_TOO_SMALL));
    EXPECT_EQ(length, 47u);
    length = 17;
    wchar_t exact[18] = L"#";
    EXPECT_EQ(path->GetClassName(&length, exact), Wbem(WBEM_E_BUFFER_TOO_SMALL));
    length = 18;
    EXPECT_EQ(path->GetClassName(&length, exact), S_OK);
    EXPECT_EQ(std::wstring(exact), L"Win32_LogicalDisk");
    length = 8;
    EXPECT_EQ(path->GetText(WBEMPATH_COMPRESSED, &length, small), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(length, 8u);
}

TEST(WbemPath, GetInfoRefusesAnythingButRequestZero) {
    auto path = NewHostPath();
    ULONGLONG response = kSentinel;
    EXPECT_EQ(path->GetInfo(0, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(path->GetInfo(1, &response), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(response, kSentinel);
    EXPECT_EQ(path->GetInfo(0, &response), S_OK);
    EXPECT_EQ(response, kNoClass);
}

// The status bits that assembling a path leaves, as Windows answers them in Wine's
// conformance tests; both parsers must agree.
TEST(WbemPath, SettersLeaveWindowsStatusBits) {
    const PlatformParser platform;
    std::vector<ComPtr<IWbemPath>> parsers{NewHostPath()};
    if (platform.Available()) parsers.push_back(platform.NewPath());
    for (std::size_t i = 0; i < parsers.size(); ++i) {
        SCOPED_TRACE(i == 0 ? "host" : "platform");
        IWbemPath* path = parsers[i].get();
        ULONGLONG info = 0;
        EXPECT_EQ(path->SetServer(L"server"), S_OK);
        ASSERT_EQ(path->GetInfo(0, &info), S_OK);
        EXPECT_EQ(info, WBEMPATH_INFO_HAS_MACHINE_NAME | WBEMPATH_INFO_V1_COMPLIANT | kParsed |
                            WBEMPATH_INFO_SERVER_NAMESPACE_ONLY | kHadServer);
        EXPECT_EQ(path->SetServer(nullptr), S_OK);
        ASSERT_EQ(path->GetInfo(0, &info), S_OK);
        EXPECT_EQ(info, kNoClass);

        EXPECT_EQ(path->SetNamespaceAt(1, L"cimv2"), Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(path->SetNamespaceAt(0, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(path->SetNamespaceAt(0, L"cimv2"), S_OK);
        EXPECT_EQ(path->SetNamespaceAt(0, L"root"), S_OK);  // inserts before
        ASSERT_EQ(path->GetInfo(0, &info), S_OK);
        EXPECT_EQ(info, kNoClass | WBEMPATH_INFO_V1_COMPLIANT | kParsed);
        wchar_t text[32];
        ULONG length = 32;
        ASSERT_EQ(path->GetText(WBEMPATH_GET_NAMESPACE_ONLY, &length, text), S_OK);
        EXPECT_EQ(std::wstring(text), L"root\\cimv2");
        EXPECT_EQ(path->RemoveNamespaceAt(2), Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(path->RemoveNamespaceAt(0), S_OK);
        length = 32;
        ASSERT_EQ(path->GetNamespaceAt(0, &length, text), S_OK);
        EXPECT_EQ(std::wstring(text), L"cimv2");
        EXPECT_EQ(path->RemoveAllNamespaces(), S_OK);
        ULONG count = kSentinel;
        ASSERT_EQ(path->GetNamespaceCount(&count), S_OK);
        EXPECT_EQ(count, 0u);

        auto fresh = i == 0 ? NewHostPath() : platform.NewPath();
        EXPECT_EQ(fresh->SetClassName(nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(fresh->SetClassName(L"Sensor"), S_OK);
        ASSERT_EQ(fresh->GetInfo(0, &info), S_OK);
        EXPECT_EQ(info, kClassRef);
    }
}

TEST(WbemPathKeyList, GetKey2KeepsItsOutputsOnFailure) {
    auto path = NewHostPath();
    ASSERT_EQ(path->SetText(kAll, L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"4.0.32\""),
              S_OK);
    ComPtr<IWbemPathKeyList> keys;
    ASSERT_EQ(path->GetKeyList(keys.put()), S_OK);
    wchar_t name[64] = L"#";
    ULONG nameLength = 64;
    UniqueVariant value;
    ULONG cimType = kSentinel;
    EXPECT_EQ(keys->GetKey2(2, 0, &nameLength, name, &value, &cimType),
              Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(keys->GetKey2(0, 1, &nameLength, name, &value, &cimType),
              Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(keys->GetKey2(0, 0, &nameLength, nullptr, &value, &cimType),
              Wbem(WBEM_E_INVALID_PARAMETER));
    nameLength = 17;  // "CreationClassName" needs 18
    EXPECT_EQ(keys->GetKey2(0, 0, &nameLength, name, &value, &cimType),
              Wbem(WBEM_E_BUFFER_TOO_SMALL));
    EXPECT_EQ(nameLength, 18u);
    EXPECT_EQ(name[0], L'#');
    EXPECT_EQ(V_VT(&value), VT_EMPTY);
    EXPECT_EQ(cimType, kSentinel);

    nameLength = 0;  // a size query still hands out the value
    EXPECT_EQ(keys->GetKey2(0, 0, &nameLength, nullptr, &value, &cimType), S_OK);
    EXPECT_EQ(nameLength, 18u);
    EXPECT_EQ(VariantText(value), L"Sensor");
    EXPECT_EQ(cimType, static_cast<ULONG>(CIM_STRING));
    value.reset();
    EXPECT_EQ(keys->GetKey2(1, 0, nullptr, nullptr, &value, nullptr), S_OK);
    EXPECT_EQ(VariantText(value), L"4.0.32");
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

TEST(WbemPathKeyList, GetKeyHandsOutBinaryValues) {
    auto path = NewHostPath();
    ASSERT_EQ(path->SetText(kAll, L"Mixed.Text=\"ab\",Number=-2,Flag=TRUE"), S_OK);
    ComPtr<IWbemPathKeyList> keys;
    ASSERT_EQ(path->GetKeyList(keys.put()), S_OK);
    BYTE value[16] = {};
    ULONG valueLength = sizeof value;
    ULONG cimType = kSentinel;
    ASSERT_EQ(keys->GetKey(0, 0, nullptr, nullptr, &valueLength, value, &cimType), S_OK);
    EXPECT_EQ(valueLength, 6u);  // "ab" and its terminator
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(value)), L"ab");
    EXPECT_EQ(cimType, static_cast<ULONG>(CIM_STRING));
    valueLength = sizeof value;
    ASSERT_EQ(keys->GetKey(1, 0, nullptr, nullptr, &valueLength, value, &cimType), S_OK);
    std::int32_t number = 0;
    std::memcpy(&number, value, sizeof number);
    EXPECT_EQ(valueLength, 4u);
    EXPECT_EQ(number, -2);
    EXPECT_EQ(cimType, static_cast<ULONG>(CIM_SINT32));
    valueLength = 1;
    EXPECT_EQ(keys->GetKey(2, 0, nullptr, nullptr, &valueLength, value, &cimType),
              Wbem(WBEM_E_BUFFER_TOO_SMALL));
    EXPECT_EQ(valueLength, 2u);  // a VARIANT_BOOL
    wchar_t name[8];
    ULONG nameLength = 8;
    valueLength = 0;
    ASSERT_EQ(keys->GetKey(2, 0, &nameLength, name, &valueLength, nullptr, &cimType), S_OK);
    EXPECT_EQ(std::wstring(name), L"Flag");
    EXPECT_EQ(valueLength, 2u);
    EXPECT_EQ(cimType, static_cast<ULONG>(CIM_BOOLEAN));
}

TEST(WbemPathKeyList, EditsShowInThePath) {
    auto path = NewHostPath();
    ASSERT_EQ(path->SetText(kAll, L"Sensor.DeviceID=\"1\""), S_OK);
    ComPtr<IWbemPathKeyList> keys;
    ASSERT_EQ(path->GetKeyList(keys.put()), S_OK);
    const auto relative = [&path] {
        wchar_t text[128] = L"#";
        ULONG length = 128;
        EXPECT_EQ(path->GetText(WBEMPATH_GET_RELATIVE_ONLY, &length, text), S_OK);
        return std::wstring(text);
    };
    const auto keyText = [&keys](LONG flags) {
        wchar_t text[128] = L"#";
        ULONG length = 128;
        EXPECT_EQ(keys->GetText(flags, &length, text), S_OK);
        return std::wstring(text);
    };

    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = ::SysAllocString(L"Sys \"1\"");
    EXPECT_EQ(keys->SetKey2(L"SystemName", 0, CIM_STRING, &text), S_OK);
    ::VariantClear(&text);
    VARIANT number;
    V_VT(&number) = VT_I4;
    V_I4(&number) = 7;
    EXPECT_EQ(keys->SetKey2(L"deviceid", 0, CIM_UINT16, &number), S_OK);  // replaces DeviceID
    EXPECT_EQ(relative(), L"Sensor.deviceid=7,SystemName=\"Sys \\\"1\\\"\"");
    EXPECT_EQ(keyText(WBEMPATH_QUOTEDTEXT), L"deviceid=7,SystemName=\"Sys \\\"1\\\"\"");
    EXPECT_EQ(keyText(0), L"deviceid=7,SystemName=Sys \"1\"");
    ULONGLONG info = 0;
    ASSERT_EQ(keys->GetInfo(0, &info), S_OK);
    EXPECT_EQ(info, static_cast<ULONGLONG>(WBEMPATH_INFO_IS_COMPOUND));

    V_I4(&number) = 300;
    EXPECT_EQ(keys->SetKey2(L"Small", 0, CIM_UINT8, &number), Wbem(WBEM_E_TYPE_MISMATCH));
    EXPECT_EQ(keys->SetKey2(L"Ref", 0, CIM_REFERENCE, &number), Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(keys->SetKey2(nullptr, 0, CIM_SINT32, &number), Wbem(WBEM_E_INVALID_PARAMETER));
    const std::uint64_t big = 18446744073709551615ull;
    EXPECT_EQ(keys->SetKey(L"Big", 0, CIM_UINT64, const_cast<std::uint64_t*>(&big)), S_OK);
    EXPECT_EQ(keys->RemoveKey(L"SYSTEMNAME", 0), S_OK);
    EXPECT_EQ(keys->RemoveKey(L"SystemName", 0), Wbem(WBEM_E_NOT_FOUND));
    EXPECT_EQ(relative(), L"Sensor.deviceid=7,Big=18446744073709551615");

    EXPECT_EQ(keys->MakeSingleton(TRUE), S_OK);
    EXPECT_EQ(relative(), L"Sensor=@");
    EXPECT_EQ(keyText(0), L"@");
    ASSERT_EQ(path->GetInfo(0, &info), S_OK);
    EXPECT_EQ(info, kInstanceRef | WBEMPATH_INFO_IS_SINGLETON | WBEMPATH_INFO_CONTAINS_SINGLETON);
    EXPECT_EQ(keys->MakeSingleton(FALSE), S_OK);
    EXPECT_EQ(keys->RemoveAllKeys(1), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(keys->RemoveAllKeys(0), S_OK);
    ASSERT_EQ(path->GetInfo(0, &info), S_OK);
    EXPECT_EQ(info, kClassRef);
}

TEST(WbemPathKeyList, KeepsItsPathAndFollowsIt) {
    const long before = LiveComObjects();
    {
        ComPtr<IWbemPathKeyList> keys;
        {
            auto path = NewHostPath();
            ASSERT_EQ(path->SetText(kAll, L"Sensor.DeviceID=\"1\""), S_OK);
            ASSERT_EQ(path->GetKeyList(keys.put()), S_OK);
            ASSERT_EQ(path->SetText(kAll, L"Sensor.A=1,B=2,C=3"), S_OK);
        }
        ULONG count = kSentinel;
        EXPECT_EQ(keys->GetCount(&count), S_OK);
        EXPECT_EQ(count, 3u);
        EXPECT_EQ(keys->GetCount(nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(LiveComObjects(), before + 2);
    }
    EXPECT_EQ(LiveComObjects(), before);
}

TEST(WbemPath, KnowsWhereItIsRelativeTo) {
    auto path = NewHostPath();
    wchar_t machine[] = L"MGMT01";
    wchar_t ipmi[] = L"root/IPMI";
    wchar_t root[] = L"root";
    ASSERT_EQ(path->SetText(kAll, L"\\\\mgmt01\\root\\ipmi:Sensor"), S_OK);
    EXPECT_TRUE(path->IsLocal(machine));
    EXPECT_FALSE(path->IsLocal(L"other"));
    EXPECT_TRUE(path->IsRelative(machine, ipmi));
    EXPECT_FALSE(path->IsRelative(machine, root));
    EXPECT_TRUE(path->IsRelativeOrChild(machine, root, 0));
    EXPECT_FALSE(path->IsRelativeOrChild(machine, root, 1));
    EXPECT_TRUE(path->IsSameClassName(L"SENSOR"));
    EXPECT_FALSE(path->IsSameClassName(L"Sensors"));
    ASSERT_EQ(path->SetText(kAll, L"Sensor.DeviceID=\"1\""), S_OK);
    wchar_t other[] = L"other";
    EXPECT_TRUE(path->IsLocal(other));  // no server named: local to whoever asks
    EXPECT_TRUE(path->IsRelative(other, root));
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
