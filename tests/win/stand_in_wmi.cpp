#include "stand_in_wmi.h"

#include <objbase.h>

#include <utility>
#include <variant>

#include "com/admin_locator.h"
#include "com/completion_check.h"
#include "com/wbem_services.h"
#include "norvwmi/support/test_files.h"
#include "repository/mof_error.h"
#include "repository/mof_reader.h"
#include "repository/repository.h"
#include "repository/repository_class_source.h"

namespace norv::test {
norvwmi::MofFile SourceFile(std::string_view relativePath) {
    return {std::string(relativePath), norvwmi::testing::ReadSourceFile(relativePath)};
}

std::shared_ptr<norvwmi::ServedNamespaces> PlatformText(const std::string& name,
                                                        const std::string& text) {
    auto loaded = norvwmi::LoadPlatform(norvwmi::MofFile{name, text}, "NORVTEST");
    if (const auto* error = std::get_if<norvwmi::MofError>(&loaded)) {
        ADD_FAILURE() << norvwmi::FormatMofError(*error);
        return nullptr;
    }
    return std::get<norvwmi::Platform>(loaded).served;
}

std::shared_ptr<norvwmi::ServedNamespaces> PlatformOf(std::string_view relativePath) {
    const norvwmi::MofFile file = SourceFile(relativePath);
    return PlatformText(file.name, file.text);
}

std::shared_ptr<norvwmi::ServedNamespaces> RepositoryOf(
    const std::vector<norvwmi::MofFile>& files) {
    norvwmi::Repository repository;
    const norvwmi::MofReadResult system =
        norvwmi::ReadMof(SourceFile(norvwmi::kSystemMofName).text, "system.mof");
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

StandInWmi::StandInWmi() {
    comInitialised_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    if (FAILED(module_.Load(Wide(NORV_MODULE_FILE)))) {
        problem_ = "cannot load " NORV_MODULE_FILE;
        return;
    }
    parsers_ = norvwmi::RegisterWmiUtilityParsers();
    if (FAILED(parsers_.Status())) problem_ = "cannot register the utility parsers";
    Serve(PlatformOf(kDefaultPlatformName));
}

StandInWmi::~StandInWmi() {
    locator_.Revoke();
    parsers_.Revoke();
    served_.reset();
    module_ = {};
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

ComPtr<IWbemServices> StandInWmi::InitializedProvider(ProviderClass providerClass) const {
    ComPtr<IWbemServices> provider;
    EXPECT_EQ(CreateProvider(ClsidOf(providerClass), provider), S_OK);
    ComPtr<IWbemProviderInit> init;
    if (!provider || FAILED(provider.query(init))) {
        ADD_FAILURE() << "no IWbemProviderInit";
        return {};
    }
    EXPECT_EQ(Initialize(init.get()), WBEM_S_NO_ERROR);
    return provider;
}

HRESULT StandInWmi::Initialize(IWbemProviderInit* init) const {
    const ComPtr<IWbemServices> nameSpace = ProviderNamespace();
    const auto sink = NewSink();
    wchar_t nameSpaceName[] = L"root\\cimv2\\ipmi";
    return AsClient([&] {
        return init->Initialize(nullptr, 0, nameSpaceName, nullptr, nameSpace.get(), nullptr,
                                sink.get());
    });
}

ComPtr<RecordingSink> NewSink() {
    return RecordingSink::Create();
}

std::string CompletionProblems(HRESULT returned, const RecordingSink& sink) {
    std::string text;
    for (const std::string& problem : norvwmi::CheckCompletion(returned, sink)) {
        text += problem + "\n";
    }
    return text;
}

HRESULT Enumerate(IWbemServices* provider, RecordingSink* sink, ClientLevel level) {
    return AsClient(level,
                    [&] { return provider->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink); });
}

HRESULT Get(IWbemServices* provider, const wchar_t* path, RecordingSink* sink) {
    const auto text = Bstr(path);
    return AsClient([&] { return provider->GetObjectAsync(text.get(), 0, nullptr, sink); });
}

HRESULT Exec(IWbemServices* provider, const wchar_t* path, const wchar_t* method,
             RecordingSink* sink) {
    const auto pathText = Bstr(path);
    const auto methodText = Bstr(method);
    return AsClient([&] {
        return provider->ExecMethodAsync(pathText.get(), methodText.get(), 0, nullptr, nullptr,
                                         sink);
    });
}

std::vector<ComPtr<IWbemClassObject>> Enumerated(IWbemServices* provider) {
    const auto sink = NewSink();
    const HRESULT hr = Enumerate(provider, sink.get());
    EXPECT_EQ(hr, WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
    for (const auto& event : sink->Events()) {
        if (event.kind == norvwmi::SinkEvent::Kind::Indicate) {
            EXPECT_EQ(event.objects.size(), 1u) << "one object per Indicate";
        }
    }
    return sink->Objects();
}

ComPtr<IWbemClassObject> Found(IWbemServices* provider, const std::wstring& path) {
    const auto sink = NewSink();
    EXPECT_EQ(Get(provider, path.c_str(), sink.get()), WBEM_S_NO_ERROR)
        << testing::PrintToString(path);
    EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
    const auto events = sink->Events();
    if (events.size() != 2 || events[0].objects.size() != 1) {
        ADD_FAILURE() << "not one Indicate of one object and one SetStatus";
        return {};
    }
    return events[0].objects[0];
}

void ExpectNotFound(IWbemServices* provider, const std::wstring& path) {
    const auto sink = NewSink();
    EXPECT_EQ(Get(provider, path.c_str(), sink.get()), kWbemNotFound)
        << testing::PrintToString(path);
    EXPECT_TRUE(sink->Events().empty()) << "a failed lookup does not call the sink";
}

std::wstring StringOf(IWbemClassObject* object, const wchar_t* name) {
    win::UniqueVariant value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr)) || V_VT(&value) != VT_BSTR) {
        return L"<not a string>";
    }
    return std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
}

std::vector<std::wstring> StringsOf(const std::vector<ComPtr<IWbemClassObject>>& objects,
                                    const wchar_t* name) {
    std::vector<std::wstring> values;
    for (const auto& object : objects) values.push_back(StringOf(object.get(), name));
    return values;
}

}  // namespace norv::test
