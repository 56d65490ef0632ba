// The WMI a provider of the built module meets in the tests: namespaces served from the
// shipped MOF files by the norvwmi stand-in, its administrative locator and utility parsers
// registered in this process, the provider objects made through the module's own
// DllGetClassObject, and the requests WMI makes of them.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <wbemcli.h>
#include <wbemprov.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "com/admin_locator.h"
#include "com/call_context.h"
#include "com/completion_check.h"
#include "com/factory_registration.h"
#include "com/recording_sink.h"
#include "com/utility_parsers.h"
#include "com/wbem_services.h"
#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "host/wbem_status.h"
#include "host_test_support.h"
#include "norvwmi/support/test_files.h"
#include "platform/win_resource.h"
#include "provider/provider_module.h"
#include "repository/mof_error.h"
#include "repository/mof_reader.h"
#include "repository/repository.h"
#include "repository/repository_class_source.h"
#include "repository/served_namespaces.h"
#include "simulated_driver/embedded_mof.h"
#include "simulated_driver/platform_loading.h"

namespace norv::test {

using norvwmi::ClientLevel;
using norvwmi::RecordingSink;
using win::ComPtr;
using win::kWbemAccessDenied, win::kWbemFailed, win::kWbemInvalidParameter, win::kWbemNotFound,
    win::kWbemNotSupported, win::kWbemProviderNotCapable;
// The status a test's sink fails Indicate with.
inline constexpr HRESULT kCancelled = static_cast<HRESULT>(WBEM_E_CALL_CANCELLED);

// MOF files of the source tree, loaded after WMI's system classes.
using norvwmi::kDefaultPlatformName, norvwmi::kHealthMofName, norvwmi::kHostMofName,
    norvwmi::kServedMofName;

// A file of the source tree as the host reads a MOF file; a failure if it cannot be read.
inline norvwmi::MofFile SourceFile(std::string_view relativePath) {
    return {std::string(relativePath), norvwmi::testing::ReadSourceFile(relativePath)};
}

// WMI's system classes and then the given MOF texts, as plain classes and instances (no
// directives applied); a text that does not load fails the current test and is left out.
inline std::shared_ptr<norvwmi::ServedNamespaces> RepositoryOf(
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

// A platform description (a path in the source tree, or a text) loaded as the norvwmi program
// loads it, directives applied; null, and a failure, if it does not load.
inline std::shared_ptr<norvwmi::ServedNamespaces> PlatformText(const std::string& name,
                                                               const std::string& text) {
    auto loaded = norvwmi::LoadPlatform(norvwmi::MofFile{name, text}, "NORVTEST");
    if (const auto* error = std::get_if<norvwmi::MofError>(&loaded)) {
        ADD_FAILURE() << norvwmi::FormatMofError(*error);
        return nullptr;
    }
    return std::get<norvwmi::Platform>(loaded).served;
}
inline std::shared_ptr<norvwmi::ServedNamespaces> PlatformOf(std::string_view relativePath) {
    const norvwmi::MofFile file = SourceFile(relativePath);
    return PlatformText(file.name, file.text);
}

inline GUID ClsidOf(ProviderClass c) {
    return win::GuidOf(IdentityOf(c).clsid);
}
// The machine-wide mutex each request of the class holds.
inline std::string LockNameOf(ProviderClass c) {
    return "Global\\wmi_" + std::string(IdentityOf(c).className);
}

// Runs a provider call as WMI makes it, from a client of the given level.
template <typename Call>
HRESULT AsClient(ClientLevel level, Call&& call) {
    return norvwmi::RunInCallContext(level, std::forward<Call>(call));
}
template <typename Call>
HRESULT AsClient(Call&& call) {
    return AsClient(ClientLevel::Impersonate, std::forward<Call>(call));
}

inline win::UniqueBstr Bstr(const wchar_t* text) {
    return win::UniqueBstr(text ? ::SysAllocString(text) : nullptr);
}
inline ComPtr<RecordingSink> NewSink() {
    return RecordingSink::Create();
}
// The problems norvwmi::CheckCompletion finds, joined in one text (empty: none).
inline std::string CompletionProblems(HRESULT returned, const RecordingSink& sink) {
    std::string text;
    for (const std::string& problem : norvwmi::CheckCompletion(returned, sink)) {
        text += problem + "\n";
    }
    return text;
}

// A sink whose Indicate first runs the test's hook with the number of the call: the hook's
// status is Indicate's, and only what a successful call brought is delivered, each object as
// the test's reader sees it.
class HookSink final : public norvwmi::ComObject<HookSink, IWbemObjectSink> {
public:
    using Hook = std::function<HRESULT(std::size_t call)>;
    // What an object delivered reads as; kNotCounted: an event the test does not watch,
    // which is neither hooked nor counted.
    using Reader = int (*)(IWbemClassObject*);
    static constexpr int kNotCounted = INT_MIN;
    HookSink(Hook hook, Reader read) : hook_(std::move(hook)), read_(read) {}

    HRESULT STDMETHODCALLTYPE Indicate(LONG count, IWbemClassObject** objects) override {
        std::vector<int> read;
        for (LONG i = 0; i < count; ++i) read.push_back(read_ ? read_(objects[i]) : 0);
        if (count > 0 && std::all_of(read.begin(), read.end(),
                                     [](int value) { return value == kNotCounted; })) {
            return S_OK;
        }
        std::size_t call;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            call = calls_++;
        }
        const HRESULT status = hook_ ? hook_(call) : S_OK;
        if (FAILED(status)) return status;
        std::lock_guard<std::mutex> guard(mutex_);
        delivered_.insert(delivered_.end(), read.begin(), read.end());
        return status;
    }
    HRESULT STDMETHODCALLTYPE SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) override {
        return S_OK;
    }
    std::vector<int> Delivered() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return delivered_;
    }

private:
    Hook hook_;
    Reader read_;
    mutable std::mutex mutex_;
    std::size_t calls_ = 0;
    std::vector<int> delivered_;
};

// Holds COM (multithreaded), the module under test, the locator and the parsers.
class StandInWmi {
public:
    StandInWmi() {
        comInitialised_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        if (FAILED(module_.Load(Wide(NORV_MODULE_FILE)))) {
            problem_ = "cannot load " NORV_MODULE_FILE;
            return;
        }
        parsers_ = norvwmi::RegisterWmiUtilityParsers();
        if (FAILED(parsers_.Status())) problem_ = "cannot register the utility parsers";
        Serve(PlatformOf(kDefaultPlatformName));
    }
    ~StandInWmi() {
        locator_.Revoke();
        parsers_.Revoke();
        served_.reset();
        module_ = {};
        if (comInitialised_) ::CoUninitialize();
    }
    StandInWmi(const StandInWmi&) = delete;
    StandInWmi& operator=(const StandInWmi&) = delete;

    // Empty when everything is in place, else what is missing.
    const std::string& Problem() const { return problem_; }
    // Serves these namespaces from now on (the locator is registered anew).
    void Serve(std::shared_ptr<norvwmi::ServedNamespaces> served) {
        served_ = std::move(served);
        if (FAILED(norvwmi::RegisterAdminLocator(served_, locator_))) {
            problem_ = "cannot register the administrative locator";
        }
    }
    // The namespace a provider's Initialize is given.
    ComPtr<IWbemServices> ProviderNamespace() const {
        return ComPtr<IWbemServices>(
            norvwmi::NamespaceServices::Create(served_, "root\\cimv2\\ipmi").get());
    }
    HRESULT CanUnloadNow() const { return module_.CanUnloadNow(); }
    // A new provider object of the class through the module's class object.
    template <typename Interface>
    HRESULT CreateProvider(const GUID& clsid, ComPtr<Interface>& provider) const {
        ComPtr<IClassFactory> factory;
        NORV_RETURN_IF_FAILED(module_.GetClassObject(clsid, factory));
        return factory->CreateInstance(nullptr, __uuidof(Interface), provider.put_void());
    }
    // A new provider object, initialised as WMI does it (client at impersonation level).
    ComPtr<IWbemServices> InitializedProvider(ProviderClass providerClass) const {
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
    HRESULT Initialize(IWbemProviderInit* init) const {
        const ComPtr<IWbemServices> nameSpace = ProviderNamespace();
        const auto sink = NewSink();
        wchar_t nameSpaceName[] = L"root\\cimv2\\ipmi";
        return AsClient([&] {
            return init->Initialize(nullptr, 0, nameSpaceName, nullptr, nameSpace.get(), nullptr,
                                    sink.get());
        });
    }

private:
    bool comInitialised_ = false;
    norvwmi::ProviderModule module_;
    std::shared_ptr<norvwmi::ServedNamespaces> served_;
    norvwmi::FactoryRegistration locator_;
    norvwmi::UtilityParserRegistration parsers_;
    std::string problem_;
};

// The base of a suite whose tests share one stand-in WMI.
template <typename Base = ::testing::Test>
class StandInSuite : public Base {
protected:
    static void SetUpTestSuite() { wmi_ = new StandInWmi(); }
    static void TearDownTestSuite() {
        delete wmi_;
        wmi_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(wmi_->Problem(), ""); }
    inline static StandInWmi* wmi_ = nullptr;
};

// The requests, as a client of the level makes them; a null path or method is passed as null.
inline HRESULT Enumerate(IWbemServices* provider, RecordingSink* sink,
                         ClientLevel level = ClientLevel::Impersonate) {
    return AsClient(level,
                    [&] { return provider->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink); });
}
inline HRESULT Get(IWbemServices* provider, const wchar_t* path, RecordingSink* sink) {
    const auto text = Bstr(path);
    return AsClient([&] { return provider->GetObjectAsync(text.get(), 0, nullptr, sink); });
}
inline HRESULT Exec(IWbemServices* provider, const wchar_t* path, const wchar_t* method,
                    RecordingSink* sink) {
    const auto pathText = Bstr(path);
    const auto methodText = Bstr(method);
    return AsClient([&] {
        return provider->ExecMethodAsync(pathText.get(), methodText.get(), 0, nullptr, nullptr,
                                         sink);
    });
}

// The instances of an enumeration that succeeds and completes once.
inline std::vector<ComPtr<IWbemClassObject>> Enumerated(IWbemServices* provider) {
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

// Property values of an instance as a client reads them.
inline std::wstring StringOf(IWbemClassObject* object, const wchar_t* name) {
    win::UniqueVariant value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr)) || V_VT(&value) != VT_BSTR) {
        return L"<not a string>";
    }
    return std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
}

}  // namespace norv::test
