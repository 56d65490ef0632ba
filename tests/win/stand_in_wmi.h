// The WMI a provider of the built module meets in the tests: namespaces served from the
// shipped MOF files by the norvwmi stand-in, its administrative locator and utility parsers
// registered in this process, and the provider objects made through the module's own
// DllGetClassObject.
#pragma once

#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "com/call_context.h"
#include "com/factory_registration.h"
#include "com/recording_sink.h"
#include "com/utility_parsers.h"
#include "host/wbem_status.h"
#include "host_test_support.h"
#include "platform/platform_loading.h"
#include "platform/win_resource.h"
#include "repository/served_namespaces.h"

namespace norv::test {

inline constexpr const wchar_t* kProviderNamespace = L"root\\cimv2\\ipmi";

// The statuses the providers answer with, and the one a test's sink fails Indicate with.
using win::kWbemAccessDenied, win::kWbemFailed, win::kWbemInvalidParameter, win::kWbemNotFound,
    win::kWbemNotSupported, win::kWbemProviderNotCapable;
inline constexpr HRESULT kCancelled = static_cast<HRESULT>(WBEM_E_CALL_CANCELLED);

// MOF files of the source tree, loaded after WMI's system classes.
inline constexpr std::string_view kShippedClasses = "mof/Norvipmiprv.mof";
inline constexpr std::string_view kHealthClasses = "tools/norvwmi/health.mof";
inline constexpr std::string_view kHostDirectives = "tools/norvwmi/host.mof";
inline constexpr std::string_view kDefaultPlatform = "platforms/default.mof";

// A file of the source tree as the host reads a MOF file.
norvwmi::MofFile SourceFile(std::string_view relativePath);

// WMI's system classes and then the given MOF texts, as plain classes and instances (no
// directives applied); a text that does not load fails the current test and is left out.
std::shared_ptr<norvwmi::ServedNamespaces> RepositoryOf(const std::vector<norvwmi::MofFile>& files);

// The namespaces of the files, in the order given; a file that does not load fails the
// current test and is left out.
std::shared_ptr<norvwmi::ServedNamespaces> LoadNamespaces(std::span<const std::string_view> files);

// The shipped classes, the health classes and the default platform.
std::shared_ptr<norvwmi::ServedNamespaces> DefaultPlatformNamespaces();

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
    const std::shared_ptr<norvwmi::ServedNamespaces>& Served() const { return served_; }

    // The namespace a provider's Initialize is given.
    win::ComPtr<IWbemServices> ProviderNamespace() const;

    HMODULE Module() const { return module_.get(); }
    HRESULT CanUnloadNow() const;
    // A new provider object of the class through the module's class object.
    HRESULT CreateProvider(const GUID& clsid, win::ComPtr<IWbemServices>& provider) const;
    // A new provider object, initialised as WMI does it (client at impersonation level).
    win::ComPtr<IWbemServices> InitializedProvider(const GUID& clsid) const;

private:
    bool comInitialised_ = false;
    UniqueModule module_;
    std::shared_ptr<norvwmi::ServedNamespaces> served_;
    norvwmi::FactoryRegistration locator_;
    norvwmi::UtilityParserRegistration parsers_;
    std::string problem_;
};

// The base of a suite whose tests share one stand-in WMI, serving what Served() gives.
template <typename Base = ::testing::Test>
class StandInSuite : public Base {
protected:
    static void SetUpTestSuite() { wmi_ = new StandInWmi(); }
    static void TearDownTestSuite() {
        delete wmi_;
        wmi_ = nullptr;
    }
    inline static StandInWmi* wmi_ = nullptr;
};

// Runs a provider call as WMI makes it, from a client of the given level.
template <typename Call>
HRESULT AsClient(norvwmi::ClientLevel level, Call&& call) {
    return norvwmi::RunInCallContext(level, std::forward<Call>(call));
}
template <typename Call>
HRESULT AsClient(Call&& call) {
    return AsClient(norvwmi::ClientLevel::Impersonate, std::forward<Call>(call));
}

// A file of the source tree, whole; a failure if it cannot be read.
std::string ReadSourceFile(std::string_view relativePath);

// A platform description (a path in the source tree) loaded as the norvwmi program loads it,
// directives applied (the management log among them); null, and a failure, if it does not load.
std::shared_ptr<norvwmi::ServedNamespaces> PlatformOf(std::string_view relativePath);

win::ComPtr<norvwmi::RecordingSink> NewSink();

// The problems norvwmi::CheckCompletion finds, joined in one text (empty: none).
std::string CompletionProblems(HRESULT returned, const norvwmi::RecordingSink& sink);

// Property values of an instance as a client reads them.
bool IsNull(IWbemClassObject* object, const wchar_t* name);
std::wstring StringOf(IWbemClassObject* object, const wchar_t* name);
std::vector<std::wstring> StringsOf(IWbemClassObject* object, const wchar_t* name);
std::vector<long> NumbersOf(IWbemClassObject* object, const wchar_t* name);

inline win::UniqueBstr Bstr(const wchar_t* text) {
    return win::UniqueBstr(::SysAllocString(text));
}

}  // namespace norv::test
