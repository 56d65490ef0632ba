// The event provider of the built module as WMI drives it: two subscriptions at once each see
// every new log record once, and the worker ends promptly with its last query or the provider.
// The platform changes by serving another description and ageing the caches; waits end when
// the awaited event arrives. (A threshold crossing as one modification, a ring that drops
// records, and an identify-level subscriber are the norvwmi program's watch cases.)
#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "events/event_period_win.h"
#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "platform/platform_loading.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using win::ComPtr;

constexpr DWORD kEventWaitMs = 15000;

// An operating-system stop, which the default platform maps to a sensor.
std::string OsStop(int sequence) {
    return "instance of Norvwmi_LogEvent { Sequence = " + std::to_string(sequence) +
           "; EventClass = 14; EventCode = 1; Status = 4; Year = 2014; Month = 1; Day = 17;"
           " Hour = 2; Minute = 58; };\n";
}

void SetPeriod(DWORD seconds) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, win::kEventProviderKey, win::kEventPeriodValue,
                                REG_DWORD, &seconds, sizeof seconds),
              ERROR_SUCCESS);
}

ComPtr<IWbemClassObject> ObjectOf(IWbemClassObject* event, const wchar_t* name) {
    win::UniqueVariant value;
    ComPtr<IWbemClassObject> object;
    if (SUCCEEDED(event->Get(name, 0, &value, nullptr, nullptr)) && V_VT(&value) == VT_UNKNOWN)
        (void)V_UNKNOWN(&value)->QueryInterface(__uuidof(IWbemClassObject), object.put_void());
    return object;
}

// One subscription: the provider initialised, its sink given and query 1 reported.
struct Subscription {
    ComPtr<IWbemProviderInit> provider;
    ComPtr<norvwmi::RecordingSink> sink = NewSink();

    ComPtr<IWbemEventProviderQuerySink> Queries() {
        ComPtr<IWbemEventProviderQuerySink> queries;
        EXPECT_EQ(provider.query(queries), S_OK);
        return queries;
    }
    HRESULT NewQuery(ULONG id) {
        std::wstring language = L"WQL", query = L"SELECT * FROM __InstanceCreationEvent";
        return Queries()->NewQuery(id, language.data(), query.data());
    }
    // Waits for the events to number `count`; those that came.
    std::vector<ComPtr<IWbemClassObject>> Await(std::size_t count) {
        const ULONGLONG deadline = ::GetTickCount64() + kEventWaitMs;
        while (sink->Objects().size() < count && ::GetTickCount64() < deadline) ::Sleep(20);
        return sink->Objects();
    }
};

class HardwareEventProviderTest : public StandInSuite<> {
protected:
    static void SetUpTestSuite() {
        StandInSuite::SetUpTestSuite();
        defaultText_ = new std::string(SourceFile(kDefaultPlatformName).text);
    }
    static void TearDownTestSuite() {
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, win::kEventProviderKey);
        delete defaultText_;
        StandInSuite::TearDownTestSuite();
    }
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        SetPeriod(1);
        Serve(*defaultText_);
    }
    static void Serve(const std::string& text) {
        wmi_->Serve(PlatformText("changed.mof", text));
        AgeTheCaches();
    }

    static ComPtr<IWbemProviderInit> NewProvider() {
        ComPtr<IWbemProviderInit> provider;
        EXPECT_EQ(wmi_->CreateProvider(win::GuidOf(kHardwareEventProviderIdentity.clsid), provider),
                  S_OK);
        return provider;
    }
    Subscription Subscribe() {
        Subscription subscription;
        subscription.provider = NewProvider();
        if (!subscription.provider) return subscription;
        EXPECT_EQ(wmi_->Initialize(subscription.provider.get()), WBEM_S_NO_ERROR);
        ComPtr<IWbemEventProvider> events;
        EXPECT_EQ(subscription.provider.query(events), S_OK);
        EXPECT_EQ(events->ProvideEvents(subscription.sink.get(), 0), WBEM_S_NO_ERROR);
        return subscription;
    }

    inline static std::string* defaultText_ = nullptr;
};

// RecordData names the entry's own number, least significant byte first.
bool NamesEntry(IWbemClassObject* event, int sequence) {
    const auto record = ObjectOf(event, L"TargetInstance");
    const std::wstring data = record ? StringOf(record.get(), L"RecordData") : L"";
    wchar_t number[16];
    swprintf(number, 16, L"*%02x 00*", sequence);
    return data.find(number) != std::wstring::npos;
}

// (Which records are new, also when the ring drops old ones, is the core change detection's.)
// Then with an hour's period a worker that waited out its period would hold the test for an
// hour; the wake-up event ends it at once.
TEST_F(HardwareEventProviderTest, EachNewRecordOnceAcrossTwoSubscriptionsThenTheWorkerEndsAtOnce) {
    Subscription first = Subscribe();
    Subscription second = Subscribe();
    ASSERT_EQ(first.NewQuery(1), WBEM_S_NO_ERROR);
    ASSERT_EQ(second.NewQuery(1), WBEM_S_NO_ERROR);
    Serve(*defaultText_ + OsStop(201) + OsStop(202) + OsStop(203));
    for (Subscription* subscription : {&first, &second}) {
        const auto events = subscription->Await(3);
        ASSERT_EQ(events.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(StringOf(events[i].get(), L"__CLASS"), L"__InstanceCreationEvent");
            EXPECT_TRUE(NamesEntry(events[i].get(), 201 + i)) << i;
        }
    }
    first = Subscription{};
    second = Subscription{};

    SetPeriod(3600);
    Subscription cancelled = Subscribe();
    ASSERT_EQ(cancelled.NewQuery(1), WBEM_S_NO_ERROR);
    ASSERT_EQ(cancelled.NewQuery(2), WBEM_S_NO_ERROR);
    EXPECT_EQ(cancelled.Queries()->CancelQuery(1), WBEM_S_NO_ERROR);
    ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(cancelled.Queries()->CancelQuery(2), WBEM_S_NO_ERROR);
    EXPECT_LT(::GetTickCount64() - start, 1000u);
    cancelled = Subscription{};
    EXPECT_EQ(wmi_->CanUnloadNow(), S_OK);

    Subscription released = Subscribe();
    ASSERT_EQ(released.NewQuery(7), WBEM_S_NO_ERROR);
    EXPECT_EQ(wmi_->CanUnloadNow(), S_FALSE);
    start = ::GetTickCount64();
    released = Subscription{};
    EXPECT_LT(::GetTickCount64() - start, 1000u);
    EXPECT_EQ(wmi_->CanUnloadNow(), S_OK);
}

// Initialize needs the namespace and the sink; without either it reports nothing.
TEST_F(HardwareEventProviderTest, InitializeRefusesANullNamespaceOrSink) {
    const ComPtr<IWbemProviderInit> provider = NewProvider();
    ASSERT_TRUE(provider);
    const auto sink = NewSink();
    const ComPtr<IWbemServices> nameSpace = wmi_->ProviderNamespace();
    for (const auto& [services, to] :
         {std::pair<IWbemServices*, IWbemProviderInitSink*>{nullptr, sink.get()},
          {nameSpace.get(), nullptr}}) {
        EXPECT_EQ(AsClient([&] {
                      return provider->Initialize(nullptr, 0, nullptr, nullptr, services, nullptr,
                                                  to);
                  }),
                  kWbemInvalidParameter);
    }
    EXPECT_TRUE(sink->Events().empty());
}

}  // namespace
}  // namespace norv::test
