#include "stand_in_wmi.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>
#include <variant>

#include "com/admin_locator.h"
#include "com/completion_check.h"
#include "com/wbem_services.h"
#include "platform/platform_loading.h"
#include "repository/mof_error.h"
#include "repository/mof_reader.h"
#include "repository/repository.h"
#include "repository/repository_class_source.h"

namespace norv::test {
namespace {

using win::ComPtr;

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

constexpr std::string_view kDefaultPlatformFiles[] = {kShippedClasses, kHealthClasses,
                                                      kHostDirectives, kDefaultPlatform};

}  // namespace

std::string ReadSourceFile(std::string_view relativePath) {
    const std::string path = std::string(NORV_SOURCE_DIR) + "/" + std::string(relativePath);
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::shared_ptr<norvwmi::ServedNamespaces> PlatformOf(std::string_view relativePath) {
    auto loaded = norvwmi::LoadPlatform(
        norvwmi::MofFile{std::string(relativePath), ReadSourceFile(relativePath)}, "NORVTEST");
    if (const auto* error = std::get_if<norvwmi::MofError>(&loaded)) {
        ADD_FAILURE() << norvwmi::FormatMofError(*error);
        return nullptr;
    }
    return std::get<norvwmi::Platform>(loaded).served;
}

norvwmi::MofFile SourceFile(std::string_view relativePath) {
    return {std::string(relativePath), ReadSourceFile(relativePath)};
}

std::shared_ptr<norvwmi::ServedNamespaces> RepositoryOf(const std::vector<norvwmi::MofFile>& files) {
    norvwmi::Repository repository;
    const norvwmi::MofReadResult system =
        norvwmi::ReadMof(ReadSourceFile("tools/norvwmi/system.mof"), "system.mof");
    EXPECT_FALSE(system.error) << norvwmi::FormatMofError(*system.error);
    if (auto error = repository.AddSystemClasses(system.document)) {
        ADD_FAILURE() << norvwmi::FormatMofError(*error);
    }
    for (const norvwmi::MofFile& file : files) {
        if (auto error = repository.AddMof(file.text, file.name)) {
            ADD_FAILURE() << norvwmi::FormatMofError(*error);
        }
    }
    return std::make_shared<norvwmi::ServedNamespaces>(
        std::make_shared<norvwmi::RepositoryClassSource>(std::move(repository)), "NORVTEST");
}

std::shared_ptr<norvwmi::ServedNamespaces> LoadNamespaces(std::span<const std::string_view> files) {
    std::vector<norvwmi::MofFile> texts;
    for (std::string_view file : files) texts.push_back(SourceFile(file));
    return RepositoryOf(texts);
}

std::shared_ptr<norvwmi::ServedNamespaces> DefaultPlatformNamespaces() {
    return LoadNamespaces(kDefaultPlatformFiles);
}

StandInWmi::StandInWmi() : module_(LoadModuleUnderTest()) {
    comInitialised_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    if (!module_) {
        problem_ = "cannot load " NORV_MODULE_FILE;
        return;
    }
    parsers_ = norvwmi::RegisterWmiUtilityParsers();
    if (FAILED(parsers_.Status())) problem_ = "cannot register the utility parsers";
    Serve(DefaultPlatformNamespaces());
}

StandInWmi::~StandInWmi() {
    locator_.Revoke();
    parsers_.Revoke();
    served_.reset();
    module_.reset();
    if (comInitialised_) ::CoUninitialize();
}

void StandInWmi::Serve(std::shared_ptr<norvwmi::ServedNamespaces> served) {
    served_ = std::move(served);
    if (FAILED(norvwmi::RegisterAdminLocator(served_, locator_))) {
        problem_ = "cannot register the administrative locator";
    }
}

ComPtr<IWbemServices> StandInWmi::ProviderNamespace() const {
    auto services = norvwmi::NamespaceServices::Create(served_, "root\\cimv2\\ipmi");
    return ComPtr<IWbemServices>(services.get());
}

HRESULT StandInWmi::CanUnloadNow() const {
    return Export<CanUnloadNowFn>(module_.get(), "DllCanUnloadNow")();
}

HRESULT StandInWmi::CreateProvider(const GUID& clsid, ComPtr<IWbemServices>& provider) const {
    const auto getClassObject = Export<GetClassObjectFn>(module_.get(), "DllGetClassObject");
    ComPtr<IClassFactory> factory;
    NORV_RETURN_IF_FAILED(getClassObject(clsid, IID_IClassFactory, factory.put_void()));
    return factory->CreateInstance(nullptr, __uuidof(IWbemServices), provider.put_void());
}

ComPtr<IWbemServices> StandInWmi::InitializedProvider(const GUID& clsid) const {
    ComPtr<IWbemServices> provider;
    EXPECT_EQ(CreateProvider(clsid, provider), S_OK);
    ComPtr<IWbemProviderInit> init;
    if (!provider || FAILED(provider.query(init))) {
        ADD_FAILURE() << "no IWbemProviderInit";
        return {};
    }
    const ComPtr<IWbemServices> nameSpace = ProviderNamespace();
    const auto sink = NewSink();
    wchar_t nameSpaceName[] = L"root\\cimv2\\ipmi";
    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, 0, nameSpaceName, nullptr, nameSpace.get(),
                                          nullptr, sink.get());
              }),
              WBEM_S_NO_ERROR);
    return provider;
}

ComPtr<norvwmi::RecordingSink> NewSink() {
    return norvwmi::RecordingSink::Create();
}

std::string CompletionProblems(HRESULT returned, const norvwmi::RecordingSink& sink) {
    std::string text;
    for (const std::string& problem : norvwmi::CheckCompletion(returned, sink)) {
        text += problem + "\n";
    }
    return text;
}

bool IsNull(IWbemClassObject* object, const wchar_t* name) {
    win::UniqueVariant value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr))) return false;
    return V_VT(&value) == VT_NULL;
}

std::wstring StringOf(IWbemClassObject* object, const wchar_t* name) {
    win::UniqueVariant value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr)) || V_VT(&value) != VT_BSTR) {
        return L"<not a string>";
    }
    return std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
}

namespace {

// The elements of a one-dimensional array property, each read as `Element`.
template <typename Element>
std::vector<Element> ArrayOf(IWbemClassObject* object, const wchar_t* name, VARTYPE elementType) {
    std::vector<Element> elements;
    win::UniqueVariant value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr)) ||
        V_VT(&value) != (VT_ARRAY | elementType)) {
        ADD_FAILURE() << "property is not an array of the expected type";
        return elements;
    }
    SAFEARRAY* array = V_ARRAY(&value);
    LONG lower = 0;
    LONG upper = -1;
    ::SafeArrayGetLBound(array, 1, &lower);
    ::SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        Element element{};
        ::SafeArrayGetElement(array, &i, &element);
        elements.push_back(element);
    }
    return elements;
}

}  // namespace

std::vector<std::wstring> StringsOf(IWbemClassObject* object, const wchar_t* name) {
    std::vector<std::wstring> texts;
    for (BSTR text : ArrayOf<BSTR>(object, name, VT_BSTR)) {
        texts.emplace_back(text, ::SysStringLen(text));
        ::SysFreeString(text);
    }
    return texts;
}

std::vector<long> NumbersOf(IWbemClassObject* object, const wchar_t* name) {
    std::vector<long> numbers;
    for (LONG number : ArrayOf<LONG>(object, name, VT_I4)) numbers.push_back(number);
    return numbers;
}

}  // namespace norv::test
