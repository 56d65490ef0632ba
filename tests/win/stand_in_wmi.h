// The WMI a provider of the built module meets in the tests: namespaces served from the
// shipped MOF files by the norvwmi stand-in, its administrative locator and utility parsers
// registered in this process, the provider objects made through the module's own
// DllGetClassObject, and the requests WMI makes of them.
#pragma once

#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/call_context.h"
#include "com/factory_registration.h"
#include "com/recording_sink.h"
#include "com/utility_parsers.h"
#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "host/wbem_status.h"
#include "host_test_support.h"
#include "platform/embedded_mof.h"
#include "platform/platform_loading.h"
#include "platform/win_resource.h"
#include "provider/provider_module.h"
#include "repository/served_namespaces.h"

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
norvwmi::MofFile SourceFile(std::string_view relativePath);

// WMI's system classes and then the given MOF texts, as plain classes and instances (no
// directives applied); a text that does not load fails the current test and is left out.
std::shared_ptr<norvwmi::ServedNamespaces> RepositoryOf(const std::vector<norvwmi::MofFile>& files);
// A platform description (a path in the source tree, or a text) loaded as the norvwmi program
// loads it, directives applied; null, and a failure, if it does not load.
std::shared_ptr<norvwmi::ServedNamespaces> PlatformOf(std::string_view relativePath);
std::shared_ptr<norvwmi::ServedNamespaces> PlatformText(const std::string& name,
                                                        const std::string& text);

// Holds COM (multithreaded), the module under test, the locator and the parsers.
class StandInWmi {
public:
    StandInWmi();
    ~StandInWmi();
    StandInWmi(const StandInWmi&) = delete;
    StandInWmi& operator=(const StandInWmi&) = delete;

    // Empty when everything is in place, else what is missing.
    const std::string& Problem() const { return problem_; }
    // Serves these namespaces from now on (the locator is registered anew).
    void Serve(std::shared_ptr<norvwmi::ServedNamespaces> served);
    // The namespace a provider's Initialize is given.
    ComPtr<IWbemServices> ProviderNamespace() const;
    HRESULT CanUnloadNow() const { return module_.CanUnloadNow(); }
    // A new provider object of the class through the module's class object.
    template <typename Interface>
    HRESULT CreateProvider(const GUID& clsid, ComPtr<Interface>& provider) const {
        ComPtr<IClassFactory> factory;
        NORV_RETURN_IF_FAILED(module_.GetClassObject(clsid, factory));
        return factory->CreateInstance(nullptr, __uuidof(Interface), provider.put_void());
    }
    // A new provider object, initialised as WMI does it (client at impersonation level).
    ComPtr<IWbemServices> InitializedProvider(ProviderClass providerClass) const;
    HRESULT Initialize(IWbemProviderInit* provider) const;

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
win::ComPtr<RecordingSink> NewSink();
// The problems norvwmi::CheckCompletion finds, joined in one text (empty: none).
std::string CompletionProblems(HRESULT returned, const RecordingSink& sink);

// The requests, as a client of the level makes them; a null path or method is passed as null.
HRESULT Enumerate(IWbemServices* provider, RecordingSink* sink,
                  ClientLevel level = ClientLevel::Impersonate);
HRESULT Get(IWbemServices* provider, const wchar_t* path, RecordingSink* sink);
HRESULT Exec(IWbemServices* provider, const wchar_t* path, const wchar_t* method,
             RecordingSink* sink);
// The instances of an enumeration that succeeds and completes once.
std::vector<ComPtr<IWbemClassObject>> Enumerated(IWbemServices* provider);
// The one instance a lookup gives, indicated alone and completed once; null and a failure else.
ComPtr<IWbemClassObject> Found(IWbemServices* provider, const std::wstring& path);
// A lookup that is not found and does not touch its sink.
void ExpectNotFound(IWbemServices* provider, const std::wstring& path);

// Property values of an instance as a client reads them.
std::wstring StringOf(IWbemClassObject* object, const wchar_t* name);
// The string values of a property over a list of instances.
std::vector<std::wstring> StringsOf(const std::vector<ComPtr<IWbemClassObject>>& objects,
                                    const wchar_t* name);

}  // namespace norv::test
