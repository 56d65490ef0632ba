// The protocol every provider class of the built module that serves a class follows: one
// completion per call, paths of other classes or with keys that match nothing, unknown methods,
// null arguments, clients that may not be impersonated, Initialize, the provider's own lock
// and the cache locks a request takes after it.
// A request that fails before it completes leaves the sink untouched.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com/wbem_services.h"
#include "log_test_support.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

struct ServedClass {
    ProviderClass providerClass;
    bool hasMethod = false;         // ClearLog, the one provider method
    bool updateIsDeletion = false;  // the event-log classes answer an update as a deletion
};

// Every row of the class table that serves a class of its own (the association provider's
// answers are the program's association case's): a class left out of the module fails here.
std::vector<ServedClass> ServedClasses() {
    std::vector<ServedClass> classes;
    for (std::size_t row = 0; row < kProviderClassCount; ++row) {
        const auto c = static_cast<ProviderClass>(row);
        if (IdentityOf(c).servedClass.empty()) continue;
        const bool log = c == ProviderClassNamed("NorvLogRecordProv") ||
                         c == ProviderClassNamed("NorvRecordLogProv");
        classes.push_back({c, c == ProviderClassNamed("NorvRecordLogProv"), log});
    }
    return classes;
}

class ProviderProtocolTest : public StandInSuite<::testing::TestWithParam<ServedClass>> {
protected:
    static void SetUpTestSuite() {
        StandInSuite::SetUpTestSuite();
        wmi_->Serve(PlatformOf(kDefaultPlatformName));
    }
    void SetUp() override {
        StandInSuite::SetUp();
        provider_ = wmi_->InitializedProvider(GetParam().providerClass);
        ASSERT_TRUE(provider_);
        const auto objects = Enumerated(provider_.get());
        ASSERT_FALSE(objects.empty());
        instance_ = objects.front();
        path_ = StringOf(instance_.get(), L"__RELPATH");
        ASSERT_TRUE(path_.starts_with(ClassName() + L".")) << "no keys";
    }

    // The status of a lookup of the path; a failed one must not have touched the sink, a
    // successful one gives the enumerated instance.
    HRESULT LookUp(const std::wstring& path) {
        const auto sink = NewSink();
        const HRESULT hr = Get(provider_.get(), path.c_str(), sink.get());
        if (FAILED(hr)) {
            EXPECT_TRUE(sink->Events().empty()) << "a failed lookup called the sink";
        } else {
            EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
            const auto objects = sink->Objects();
            EXPECT_TRUE(objects.size() == 1 &&
                        objects[0]->CompareTo(0, instance_.get()) == WBEM_S_SAME);
        }
        return hr;
    }
    std::wstring ClassName() const {
        return Wide(IdentityOf(GetParam().providerClass).servedClass);
    }
    // The instance's keys (all texts) after another class name.
    std::wstring PathOfClass(const std::wstring& name) const {
        return name + path_.substr(ClassName().size());
    }

    ComPtr<IWbemServices> provider_;
    ComPtr<IWbemClassObject> instance_;
    std::wstring path_;
};

TEST_P(ProviderProtocolTest, OnlyAWellFormedPathOfTheClassIsLookedUp) {
    EXPECT_EQ(LookUp(path_), WBEM_S_NO_ERROR);
    const std::wstring c = ClassName();
    // The parser's refusals are object_path_keys_test's; the provider passes its own class.
    for (const std::wstring& path :
         {std::wstring(), c, PathOfClass(c + L"X"), PathOfClass(c.substr(0, c.size() - 1))}) {
        EXPECT_EQ(LookUp(path), kWbemInvalidParameter)
            << testing::PrintToString(path.substr(0, 80));
    }
}

// Unknown methods are not supported; ClearLog on a bad path gets the method's own path check,
// then the lookup's answer. A null sink is refused before the method name is looked at.
TEST_P(ProviderProtocolTest, MethodsOtherThanTheOneAreNotSupported) {
    const bool has = GetParam().hasMethod;
    const auto sink = NewSink();
    for (const wchar_t* method : {L"NoSuchMethod", L"", L"ClearLogs", L"ClearLo"})
        EXPECT_EQ(Exec(provider_.get(), path_.c_str(), method, sink.get()), kWbemNotSupported);
    EXPECT_EQ(Exec(provider_.get(), nullptr, nullptr, sink.get()), kWbemNotSupported);
    for (const auto& [path, status] :
         {std::pair{L"Sensor.DeviceID=\"1.0.0\"", kWbemInvalidParameter},
          std::pair{L"RecordLog", kWbemInvalidParameter},
          std::pair{L"RecordLog.InstanceID=5", kWbemNotFound}}) {
        EXPECT_EQ(Exec(provider_.get(), has ? path : path_.c_str(), L"clearlog", sink.get()),
                  has ? status : kWbemNotSupported);
    }
    EXPECT_EQ(Exec(provider_.get(), nullptr, L"ClearLog", sink.get()),
              has ? kWbemInvalidParameter : kWbemNotSupported);
    EXPECT_TRUE(sink->Events().empty());
    EXPECT_EQ(Exec(provider_.get(), path_.c_str(), L"ClearLog", nullptr),
              has ? kWbemInvalidParameter : kWbemNotSupported);
}

// Null wherever the asynchronous calls allow it: those that answer at once do not look at their
// arguments, the others check the sink before they touch anything.
TEST_P(ProviderProtocolTest, NullArgumentsGetTheirStatusWithoutACrash) {
    const auto path = Bstr(path_.c_str());
    IWbemServices* p = provider_.get();
    IWbemClassObject* instance = instance_.get();
    const HRESULT put =
        GetParam().updateIsDeletion ? kWbemProviderNotCapable : kWbemInvalidParameter;
    const HRESULT cannot = kWbemProviderNotCapable;
    const HRESULT invalid = kWbemInvalidParameter;
    const HRESULT method = GetParam().hasMethod ? invalid : kWbemNotSupported;
    // Each call is made with a recording sink s, which must stay untouched, where it passes one.
    const std::vector<std::pair<std::function<HRESULT(IWbemObjectSink * s)>, HRESULT>> calls = {
        {[&](auto* s) { return p->GetObjectAsync(nullptr, 0, nullptr, s); }, invalid},
        {[&](auto*) { return p->GetObjectAsync(path.get(), 0, nullptr, nullptr); }, invalid},
        {[&](auto*) { return p->CreateInstanceEnumAsync(nullptr, 0, nullptr, nullptr); }, invalid},
        {[&](auto* s) { return p->PutInstanceAsync(nullptr, 0, nullptr, s); }, put},
        {[&](auto*) { return p->PutInstanceAsync(instance, 0, nullptr, nullptr); }, put},
        {[&](auto* s) { return p->PutInstanceAsync(instance, 0, nullptr, s); }, cannot},
        {[&](auto*) { return p->DeleteInstanceAsync(nullptr, 0, nullptr, nullptr); }, cannot},
        {[&](auto* s) { return p->DeleteInstanceAsync(nullptr, 0, nullptr, s); }, cannot},
        {[&](auto*) { return p->ExecQueryAsync(nullptr, nullptr, 0, nullptr, nullptr); }, cannot},
        {[&](auto*) { return p->ExecMethodAsync(nullptr, nullptr, 0, nullptr, nullptr, nullptr); },
         method},
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const auto sink = NewSink();
        EXPECT_EQ(AsClient([&] { return calls[i].first(sink.get()); }), calls[i].second)
            << "call " << i;
        EXPECT_TRUE(sink->Events().empty()) << "call " << i << " touched the sink";
    }
    // What completes through the sink even so: a query given neither language nor text.
    const auto queried = NewSink();
    const HRESULT hr =
        AsClient([&] { return p->ExecQueryAsync(nullptr, nullptr, 0, nullptr, queried.get()); });
    EXPECT_EQ(hr, kWbemProviderNotCapable);
    EXPECT_EQ(CompletionProblems(hr, *queried.get()), "");
    ASSERT_EQ(queried->FinalStatuses().size(), 1u);
    EXPECT_EQ(queried->FinalStatuses()[0].result, kWbemProviderNotCapable);
}

// A provider never initialised has no class to spawn from and no path parser. Initialize uses
// only the namespace, the context and the sink: the rest may be null, and a null namespace or
// sink, or a namespace without the served class, is refused without a report.
TEST_P(ProviderProtocolTest, InitializeTakesNullsWhereItIgnoresTheArgument) {
    ComPtr<IWbemServices> fresh;
    ASSERT_EQ(wmi_->CreateProvider(ClsidOf(GetParam().providerClass), fresh), S_OK);
    ComPtr<IWbemProviderInit> init;
    ASSERT_EQ(fresh.query(init), S_OK);
    ComPtr<IProvideClassInfo> classInfo;  // also handed out, before Initialize
    EXPECT_EQ(fresh.query(classInfo), S_OK);
    const auto early = NewSink();
    EXPECT_EQ(Get(fresh.get(), path_.c_str(), early.get()), kWbemInvalidParameter);
    const HRESULT hr = Enumerate(fresh.get(), early.get());
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(CompletionProblems(hr, *early.get()), "");
    EXPECT_TRUE(early->Objects().empty());
    const ComPtr<IWbemServices> nameSpace = wmi_->ProviderNamespace();
    const ComPtr<IWbemServices> elsewhere(
        norvwmi::NamespaceServices::Create(RepositoryOf({SourceFile(kHealthMofName)}), "root\\wmi")
            .get());
    const auto sink = NewSink();
    const auto initialize = [&](IWbemServices* services, IWbemProviderInitSink* to) {
        return AsClient(
            [&] { return init->Initialize(nullptr, -1, nullptr, nullptr, services, nullptr, to); });
    };
    EXPECT_EQ(initialize(nullptr, nullptr), kWbemInvalidParameter);
    EXPECT_EQ(initialize(nullptr, sink.get()), kWbemInvalidParameter);
    EXPECT_EQ(initialize(elsewhere.get(), sink.get()), kWbemFailed);
    EXPECT_TRUE(sink->Events().empty());
    EXPECT_EQ(initialize(nameSpace.get(), sink.get()), WBEM_S_NO_ERROR);
    ASSERT_EQ(sink->InitStatuses().size(), 1u);
    EXPECT_EQ(sink->InitStatuses()[0].result, WBEM_S_INITIALIZED);
    EXPECT_EQ(Get(fresh.get(), path_.c_str(), NewSink().get()), WBEM_S_NO_ERROR);
}

// An enumeration indicates each instance alone and completes once (Enumerated checks it); a
// failed Indicate ends it and is its result, and a lookup whose Indicate fails still completes.
TEST_P(ProviderProtocolTest, AFailedIndicateEndsTheEnumerationAndIsItsResult) {
    const auto sink = NewSink();
    sink->FailIndicateWith(kCancelled);
    const HRESULT hr = Enumerate(provider_.get(), sink.get());
    EXPECT_EQ(hr, kCancelled);
    EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
    ASSERT_EQ(sink->FinalStatuses().size(), 1u);
    EXPECT_EQ(sink->FinalStatuses()[0].result, kCancelled);

    const auto lookup = NewSink();
    lookup->FailIndicateWith(kCancelled);
    EXPECT_EQ(Get(provider_.get(), path_.c_str(), lookup.get()), WBEM_S_NO_ERROR);
    ASSERT_EQ(lookup->FinalStatuses().size(), 1u);
    EXPECT_EQ(lookup->FinalStatuses()[0].result, WBEM_S_NO_ERROR);
}

// Every method that runs the security prologue refuses a client that may not be
// impersonated, before it looks at anything else, and a request ends without impersonating.
// (The prologue's answer at each client level is client_impersonation_test's.)
TEST_P(ProviderProtocolTest, AClientThatMayNotBeImpersonatedIsDenied) {
    const auto path = Bstr(path_.c_str());
    const auto language = Bstr(L"WQL");
    const auto query = Bstr(L"SELECT * FROM ComputerSystem");
    const auto method = Bstr(GetParam().hasMethod ? L"ClearLog" : L"RequestStateChange");
    ComPtr<IWbemProviderInit> init;
    ASSERT_EQ(provider_.query(init), S_OK);
    const ComPtr<IWbemServices> nameSpace = wmi_->ProviderNamespace();
    IWbemServices* p = provider_.get();
    const auto sink = NewSink();
    IWbemObjectSink* s = sink.get();
    const std::vector<std::function<HRESULT()>> prologued = {
        [&] {
            return init->Initialize(nullptr, 0, nullptr, nullptr, nameSpace.get(), nullptr,
                                    sink.get());
        },
        [&] { return p->GetObjectAsync(path.get(), 0, nullptr, s); },
        [&] { return p->CreateInstanceEnumAsync(nullptr, 0, nullptr, s); },
        [&] { return p->PutInstanceAsync(instance_.get(), 0, nullptr, s); },
        [&] { return p->DeleteInstanceAsync(path.get(), 0, nullptr, s); },
        [&] { return p->ExecQueryAsync(language.get(), query.get(), 0, nullptr, s); },
        [&] { return p->ExecMethodAsync(path.get(), method.get(), 0, nullptr, nullptr, s); },
    };
    for (std::size_t i = 0; i < prologued.size(); ++i) {
        EXPECT_EQ(AsClient(ClientLevel::Identify, prologued[i]), kWbemAccessDenied) << "call " << i;
    }
    EXPECT_TRUE(sink->Events().empty()) << "a denied request does not reach the sink";
    norvwmi::ServerCallContext context(ClientLevel::Impersonate);
    ASSERT_EQ(context.Status(), S_OK);
    p->GetObjectAsync(path.get(), 0, nullptr, NewSink().get());
    context.End();
    EXPECT_FALSE(context.LeftImpersonating());
}

// An enumeration owns the provider's machine-wide mutex while it hands out instances, so a
// request of another thread or process waits for it (how the mutex makes them wait is
// NamedLockTest's), and every request, found or not, releases it at its end. Each Indicate
// asks from a thread of its own whether another owns the mutex: no wait decides it.
TEST_P(ProviderProtocolTest, EachRequestHoldsTheProvidersOwnLock) {
    const std::string name = LockNameOf(GetParam().providerClass);
    std::vector<bool> held;
    const auto sink = HookSink::Create(
        [&](std::size_t) {
            held.push_back(OwnedForAnotherThread(name));
            return WBEM_S_NO_ERROR;
        },
        nullptr);
    EXPECT_EQ(AsClient([&] {
                  return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get());
              }),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(held, std::vector<bool>(sink->Delivered().size(), true)) << name;
    ASSERT_FALSE(held.empty());
    std::wstring wrong = path_;
    wrong.insert(wrong.find(L"=\"") + 2, L"x");
    EXPECT_EQ(LookUp(wrong), kWbemNotFound) << testing::PrintToString(wrong);
    win::UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
    ASSERT_TRUE(mutex) << name;
    EXPECT_EQ(::WaitForSingleObject(mutex.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ::ReleaseMutex(mutex.get());
}

// A request of a class read from the caches waits for the cache lock another process holds,
// holding the locks taken before it meanwhile: its provider's own, then the event log's, then
// the sensors'; a sensor class's request waits for no lock of the event log. (That a snapshot
// takes the log's before the sensors' is CacheSnapshotTest's.)
class CacheLockOrderTest : public StandInSuite<> {};

TEST_F(CacheLockOrderTest, ARequestTakesItsOwnLockThenTheEventLogsThenTheSensors) {
    const struct {
        ProviderClass providerClass;
        bool readsTheLog;
    } kRows[] = {
        {ProviderClassNamed("NorvSensorProv"), false},
        {ProviderClassNamed("NorvNumericSensorProv"), false},
        {ProviderClassNamed("NorvLogRecordProv"), true},
        {ProviderClassNamed("NorvHealthConditionProv"), true},
    };
    for (const auto& [providerClass, readsTheLog] : kRows) {
        SCOPED_TRACE(IdentityOf(providerClass).className);
        const auto provider = wmi_->InitializedProvider(providerClass);
        ASSERT_TRUE(provider);
        const std::size_t shown = Enumerated(provider.get()).size();
        ASSERT_NE(shown, 0u);
        std::vector<std::string> meanwhile = {LockNameOf(providerClass)};
        if (readsTheLog) meanwhile.push_back("Global\\wmi_Norv_SEL_Access");
        AgeTheCaches();
        const auto sink = NewSink();
        const HRESULT result = RequestWhileAnotherProcessHolds(
            "Norv_SDR_Access", meanwhile, [&] { return Enumerate(provider.get(), sink.get()); });
        EXPECT_EQ(result, WBEM_S_NO_ERROR);
        EXPECT_EQ(CompletionProblems(result, *sink.get()), "");
        EXPECT_EQ(sink->Objects().size(), shown);
        if (readsTheLog) continue;
        const TestEvent ready("SelReady"), releasing("SelReleasing");
        HelperProcess holder("lock Norv_SEL_Access " + ready.Name() + " " + releasing.Name() +
                             " 1000");
        ASSERT_TRUE(holder.Started() && ready.WaitFor(10000));
        AgeTheCaches();
        EXPECT_EQ(Enumerated(provider.get()).size(), shown);
        EXPECT_FALSE(releasing.WaitFor(0)) << "the enumeration waited for Norv_SEL_Access";
        EXPECT_EQ(holder.WaitForExit(10000), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, ProviderProtocolTest, ::testing::ValuesIn(ServedClasses()),
                         [](const auto& test) {
                             return std::string(IdentityOf(test.param.providerClass).className);
                         });

}  // namespace
}  // namespace norv::test
