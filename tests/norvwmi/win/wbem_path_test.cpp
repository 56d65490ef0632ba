// The host's object-path parser as Windows answers, for what the provider calls: SetText,
// GetInfo, GetClassName, GetKeyList and GetKey2 with its buffer rule.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "com/wbem_hresult.h"
#include "com/wbem_path.h"
#include "com/wbem_status_names.h"
#include "support/case_file.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using norv::win::UniqueVariant;
using testing::Narrow;

constexpr ULONG kSentinel = 0xdeadbeef;
constexpr ULONG kAll = WBEMPATH_CREATE_ACCEPT_ALL;

// WBEMPATH_INFO_ bit by bit, from 0x1.
constexpr std::string_view kInfoBits[] = {
    "ANON_LOCAL_MACHINE", "HAS_MACHINE_NAME", "IS_CLASS_REF",          "IS_INST_REF",
    "HAS_SUBSCOPES",      "IS_COMPOUND",      "HAS_V2_REF_PATHS",      "HAS_IMPLIED_KEY",
    "CONTAINS_SINGLETON", "V1_COMPLIANT",     "V2_COMPLIANT",          "CIM_COMPLIANT",
    "IS_SINGLETON",       "IS_PARENT",        "SERVER_NAMESPACE_ONLY", "NATIVE_PATH",
    "WMI_PATH",           "PATH_HAD_SERVER"};

std::string Status(HRESULT hr) {
    return hr == S_OK ? "S_OK" : std::string(NameOfStatus(static_cast<std::uint32_t>(hr)));
}

// What the provider reads of a path: SetText's status, GetInfo's bits, the namespace count,
// the class name and the keys, each offered a name buffer of the path's length plus one.
std::string Answer(const std::string& input) {
    const std::wstring text(input.begin(), input.end());
    // A path that parsed before: a failed SetText must clear it.
    ComPtr<IWbemPath> path(WbemPath::Create().get());
    EXPECT_EQ(path->SetText(kAll, L"\\\\.\\root\\ipmi:Other.Key=\"1\""), S_OK);
    // Extra terminators make certain what a parser reading past the end finds there.
    std::vector<wchar_t> chars(text.begin(), text.end());
    chars.resize(text.size() + 8, L'\0');
    std::ostringstream answer;
    answer << Status(path->SetText(kAll, chars.data())) << ";";
    ULONGLONG info = kSentinel;
    EXPECT_EQ(path->GetInfo(0, &info), S_OK);
    for (std::size_t bit = 0; bit < std::size(kInfoBits); ++bit)
        if (info & (1ULL << bit)) answer << " " << kInfoBits[bit];
    if (info >> std::size(kInfoBits)) answer << " 0x" << std::hex << info << std::dec;
    ULONG namespaces = kSentinel;
    EXPECT_EQ(path->GetNamespaceCount(&namespaces), S_OK);
    answer << "; " << namespaces << " namespaces; ";
    std::vector<wchar_t> name(text.size() + 1, L'#');
    ULONG length = static_cast<ULONG>(name.size());
    const HRESULT named = path->GetClassName(&length, name.data());
    ComPtr<IWbemPathKeyList> keys;
    const HRESULT listed = path->GetKeyList(keys.put());
    if (FAILED(named)) {
        // A failure keeps the out-parameters.
        EXPECT_EQ(length, name.size());
        EXPECT_EQ(name[0], L'#');
        answer << "class " << Status(named) << ", keys " << Status(listed);
        return answer.str();
    }
    EXPECT_EQ(length, wcslen(name.data()) + 1);
    answer << "class " << Narrow(name.data());
    ULONG count = 0;
    EXPECT_EQ(keys->GetCount(&count), S_OK);
    for (ULONG i = 0; i < count; ++i) {
        // A name buffer too small (as a length left from a shorter key is): the length the
        // name needs comes back, and nothing else is written.
        ULONG nameLength = 1;
        UniqueVariant value;
        ULONG cimType = kSentinel;
        EXPECT_EQ(keys->GetKey2(i, 0, &nameLength, name.data(), &value, &cimType),
                  Wbem(WBEM_E_BUFFER_TOO_SMALL));
        EXPECT_EQ(cimType, kSentinel);
        const ULONG needed = std::exchange(nameLength, static_cast<ULONG>(name.size()));
        EXPECT_EQ(keys->GetKey2(i, 0, &nameLength, name.data(), &value, &cimType), S_OK);
        EXPECT_EQ(nameLength, wcslen(name.data()) + 1);
        EXPECT_EQ(needed, nameLength);
        answer << (i ? ", " : ": ") << Narrow(name.data()) << "=";
        if (V_VT(&value) == VT_BSTR && cimType == CIM_STRING)
            answer << "\"" << Narrow(V_BSTR(&value)) << "\"";
        else if (V_VT(&value) == VT_I4 && cimType == CIM_SINT32)
            answer << V_I4(&value);
        else
            answer << "VARTYPE " << V_VT(&value) << " CIMTYPE " << cimType;
    }
    return answer.str();
}

// The cases are tests/data/norvwmi/wbem_paths.txt.
TEST(WbemPath, AnswersThePathsTheProviderReadsAsWindowsDoes) {
    norv::test::ExpectCases("wbem_paths.txt", Answer);
    ComPtr<IWbemPath> path(WbemPath::Create().get());
    EXPECT_EQ(path->SetText(kAll, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
    // A lone surrogate is no UTF-16 text: refused rather than read as another character.
    EXPECT_EQ(path->SetText(kAll, L"Sensor.Name=\"\xD800\""), Wbem(WBEM_E_INVALID_PARAMETER));
}

}  // namespace
}  // namespace norvwmi
