// The event provider of the built module as WMI drives it: each new record once, as its creation
// event and as its alert, to sinks that fail, block, cancel or release inside Indicate; the
// worker's end; who may subscribe. (Which records are new, and which raise alerts, are the core's;
// an alert's properties are the norvwmi program's watch cases.)
#include <windows.h>

#include <wbemcli.h>
#include <wbemprov.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "events/event_period_win.h"
#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "log_test_support.h"
#include "simulated_driver/platform_loading.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using win::ComPtr;

constexpr DWORD kEventWaitMs = 15000;
// Two periods of one second, and some room: no further event may come in this time.
constexpr DWORD kSettleMs = 2500;

// An operating-system stop, which the default platform maps to a sensor.
std::string OsStop(int sequence) {
    return "instance of Norvwmi_LogEvent { Sequence = " + std::to_string(sequence) +
           "; EventClass = 14; EventCode = 1; Status = 4; Year = 2014; Month = 1; Day = 17;"
           " Hour = 2; Minute = 58; };\n";
}

// An operating-system soft shutdown (`ended` false) or its end (data byte 129, sub-row 9), on
// the sensor of the stops.
std::string SoftShutdown(int sequence, bool ended) {
    return "instance of Norvwmi_LogEvent { Sequence = " + std::to_string(sequence) +
           "; EventClass = 14; EventCode = 2; Status = 2; Year = 2014; Month = 8; Day = 1;"
           " Hour = 6; Minute = 15; Data = {" +
           (ended ? "129" : "1") + "}; };\n";
}

// What a subscription watches: the creation events of the new records, or their alerts.
enum class Watched { Creations, Alerts };

// Records of which each raises its one alert: the default platform's log ends in a soft
// shutdown, so an odd sequence ends the shutdown the even one before it began (a stop would
// repeat the condition the log's own stop holds active).
std::string Records(Watched watched, int first, int count) {
    std::string text;
    for (int i = first; i < first + count; ++i)
        text += watched == Watched::Creations ? OsStop(i) : SoftShutdown(i, i % 2 != 0);
    return text;
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

// The entry's own number, which RecordData names second ("*1.0.1*03 00*..."), least
// significant byte first; -1 for none.
int EntryNumberOf(IWbemClassObject* event) {
    const auto record = ObjectOf(event, L"TargetInstance");
    const std::wstring data = record ? StringOf(record.get(), L"RecordData") : L"";
    const std::size_t second = data.find(L'*', 1);
    unsigned low = 0, high = 0;
    if (second == std::wstring::npos ||
        swscanf(data.c_str() + second, L"*%2x %2x*", &low, &high) != 2) {
        return -1;
    }
    return static_cast<int>(low | (high << 8));
}

int CreationNumberOf(IWbemClassObject* event) {
    return StringOf(event, L"__CLASS") == L"__InstanceCreationEvent" ? EntryNumberOf(event)
                                                                      : HookSink::kNotCounted;
}
// An alert's IndicationIdentifier is "Norvipmiprv:<entry number>.<time>"; -1 for another.
int AlertNumberOf(IWbemClassObject* event) {
    if (StringOf(event, L"__CLASS") != L"AlertIndication") return HookSink::kNotCounted;
    int number = -1;
    const std::wstring id = StringOf(event, L"IndicationIdentifier");
    return swscanf(id.c_str(), L"Norvipmiprv:%d.", &number) == 1 ? number : -1;
}

// An event as one number: 1000 for a creation, 2000 for a deletion, 3000 for a modification,
// plus the record's entry number or the sensor's number (its DeviceID's first part).
int EventOf(IWbemClassObject* event) {
    const std::wstring eventClass = StringOf(event, L"__CLASS");
    const int kind = eventClass == L"__InstanceCreationEvent"   ? 1000
                     : eventClass == L"__InstanceDeletionEvent" ? 2000
                                                                : 3000;
    const auto target = ObjectOf(event, L"TargetInstance");
    if (!target) return -1;
    if (StringOf(target.get(), L"__CLASS") == L"LogRecord") return kind + EntryNumberOf(event);
    return kind + static_cast<int>(std::wcstol(StringOf(target.get(), L"DeviceID").c_str(),
                                               nullptr, 10));
}

// A sink delivering the entry numbers of what is watched, with the test's hook run first in
// each Indicate of it.
ComPtr<HookSink> EventSink(HookSink::Hook hook = nullptr, Watched watched = Watched::Creations) {
    return HookSink::Create(std::move(hook),
                            watched == Watched::Alerts ? &AlertNumberOf : &CreationNumberOf);
}

// Whether `done` comes true within the wait for events.
bool Within(const std::function<bool()>& done) {
    const ULONGLONG deadline = ::GetTickCount64() + kEventWaitMs;
    while (!done() && ::GetTickCount64() < deadline) ::Sleep(20);
    return done();
}

// The entry numbers delivered, once `count` have come (or the wait ran out) and two periods
// more have passed.
std::vector<int> Settled(const ComPtr<HookSink>& sink, std::size_t count) {
    Within([&] { return sink->Delivered().size() >= count; });
    ::Sleep(kSettleMs);
    return sink->Delivered();
}

// One subscription: the provider initialised and its sink given.
struct Subscription {
    ComPtr<IWbemProviderInit> provider;
    std::wstring query = L"SELECT * FROM __InstanceCreationEvent";

    ComPtr<IWbemEventProviderQuerySink> Queries() const {
        ComPtr<IWbemEventProviderQuerySink> queries;
        EXPECT_EQ(provider.query(queries), S_OK);
        return queries;
    }
    HRESULT NewQuery(ULONG id) const {
        std::wstring language = L"WQL", text = query;
        return Queries()->NewQuery(id, language.data(), text.data());
    }
    HRESULT CancelQuery(ULONG id) const { return Queries()->CancelQuery(id); }
    HRESULT ProvideEvents(IWbemObjectSink* sink) const {
        ComPtr<IWbemEventProvider> events;
        EXPECT_EQ(provider.query(events), S_OK);
        return events->ProvideEvents(sink, 0);
    }
};

class HardwareEventProviderTest : public StandInSuite<> {
protected:
    static void SetUpTestSuite() {
        StandInSuite::SetUpTestSuite();
        defaultText_ = SourceFile(kDefaultPlatformName).text;
    }
    static void TearDownTestSuite() {
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, win::kEventProviderKey);
        StandInSuite::TearDownTestSuite();
    }
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        SetPeriod(1);
        Serve(defaultText_);
    }
    void TearDown() override { EXPECT_TRUE(ModuleUnloadableSoon()); }
    // A stalled enumeration times out at once.
    static void Serve(const std::string& text) {
        auto served = PlatformText("changed.mof", text);
        ASSERT_TRUE(served);
        served->SetWaitLimit(0);
        wmi_->Serve(std::move(served));
        AgeTheCaches();
    }
    // The default platform with the log's further records.
    static void ServeWith(int first, int count, Watched watched = Watched::Creations) {
        Serve(defaultText_ + Records(watched, first, count));
    }

    static ComPtr<IWbemProviderInit> NewProvider() {
        ComPtr<IWbemProviderInit> provider;
        EXPECT_EQ(wmi_->CreateProvider(win::GuidOf(kHardwareEventProviderIdentity.clsid), provider),
                  S_OK);
        return provider;
    }
    // A provider initialised, with `sink` given unless it is null.
    static Subscription Subscribe(IWbemObjectSink* sink, Watched watched = Watched::Creations) {
        Subscription subscription;
        if (watched == Watched::Alerts) subscription.query = L"SELECT * FROM AlertIndication";
        subscription.provider = NewProvider();
        if (!subscription.provider) return subscription;
        EXPECT_EQ(wmi_->Initialize(subscription.provider.get()), WBEM_S_NO_ERROR);
        if (sink) {
            EXPECT_EQ(subscription.ProvideEvents(sink), WBEM_S_NO_ERROR);
        }
        return subscription;
    }
        static bool ModuleUnloadableSoon() {
        return Within([] { return wmi_->CanUnloadNow() == S_OK; });
    }

    inline static std::string defaultText_;
};

// Each new record delivered exactly once, as its creation event and as its alert, where the
// alerts have a path of their own: they start with a query and stop with the last one. (Both
// go through one queue: its retries, its faults and a sink that comes late are the creation
// events' cases; its order and tries are the core delivery queue's.)
class ExactlyOnceTest : public HardwareEventProviderTest,
                        public ::testing::WithParamInterface<Watched> {};

INSTANTIATE_TEST_SUITE_P(Watched, ExactlyOnceTest,
                         ::testing::Values(Watched::Creations, Watched::Alerts),
                         [](const auto& row) {
                             return row.param == Watched::Alerts ? "Alerts" : "Creations";
                         });

// Two subscriptions each see every new record once. Then, with an hour's period, a worker that
// waited out its period would hold the test for an hour; the wake-up event ends it at once.
TEST_P(ExactlyOnceTest, WorkerDeliversEachNewRecordOnceThenEndsAtOnce) {
    const auto firstSink = EventSink(nullptr, GetParam()),
               secondSink = EventSink(nullptr, GetParam());
    Subscription first = Subscribe(firstSink.get(), GetParam());
    Subscription second = Subscribe(secondSink.get(), GetParam());
    ASSERT_EQ(first.NewQuery(1), WBEM_S_NO_ERROR);
    ASSERT_EQ(second.NewQuery(1), WBEM_S_NO_ERROR);
    ServeWith(201, 3, GetParam());
    EXPECT_EQ(Settled(firstSink, 3), (std::vector<int>{201, 202, 203}));
    EXPECT_EQ(secondSink->Delivered(), (std::vector<int>{201, 202, 203}));
    first = Subscription{};
    second = Subscription{};

    SetPeriod(3600);
    Subscription cancelled = Subscribe(firstSink.get(), GetParam());
    ASSERT_EQ(cancelled.NewQuery(1), WBEM_S_NO_ERROR);
    ASSERT_EQ(cancelled.NewQuery(2), WBEM_S_NO_ERROR);
    EXPECT_EQ(cancelled.CancelQuery(1), WBEM_S_NO_ERROR);
    ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(cancelled.CancelQuery(2), WBEM_S_NO_ERROR);
    EXPECT_LT(::GetTickCount64() - start, 1000u);
    cancelled = Subscription{};
    EXPECT_EQ(wmi_->CanUnloadNow(), S_OK);

    Subscription released = Subscribe(firstSink.get(), GetParam());
    ASSERT_EQ(released.NewQuery(7), WBEM_S_NO_ERROR);
    EXPECT_EQ(wmi_->CanUnloadNow(), S_FALSE);
    start = ::GetTickCount64();
    released = Subscription{};
    EXPECT_LT(::GetTickCount64() - start, 1000u);
    EXPECT_EQ(wmi_->CanUnloadNow(), S_OK);
}

// The one text of a string array property, else a text no identifier is.
std::wstring OnlyStringOf(IWbemClassObject* object, const wchar_t* name) {
    win::UniqueVariant value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr)) ||
        V_VT(&value) != (VT_ARRAY | VT_BSTR) || V_ARRAY(&value)->rgsabound[0].cElements != 1) {
        return L"<not one string>";
    }
    const BSTR text = static_cast<BSTR*>(V_ARRAY(&value)->pvData)[0];
    return std::wstring(text, ::SysStringLen(text));
}

// The entry number of an alert that clears the condition of an entry repaired in place,
// correlated to that entry's alert, whose identifier its own extends; -1 for another alert.
int RepairNumberOf(IWbemClassObject* event) {
    const int number = AlertNumberOf(event);
    if (number == HookSink::kNotCounted) return number;
    const std::wstring id = StringOf(event, L"IndicationIdentifier");
    const bool clears =
        StringOf(event, L"MessageID") == L"Norvipmiprv.1.0.ConditionRepaired" &&
        id.ends_with(L".repaired") &&
        OnlyStringOf(event, L"CorrelatedIndications") == id.substr(0, id.size() - 9);
    return clears ? number : -1;
}

// A fan's degradation that the platform marks repaired in place (its status byte turned 6,
// the same entry otherwise): no new record, one clearing alert.
TEST_F(HardwareEventProviderTest, WorkerClearsAConditionRepairedInPlace) {
    const auto fanDegraded = [](int status) {
        return "instance of Norvwmi_LogEvent { Sequence = 201; EventClass = 2; EventCode = 2;"
               " Status = " + std::to_string(status) + "; Year = 2014; Month = 8; Day = 2;"
               " Hour = 6; Minute = 15; Data = {0, 0, 0, 1}; };\n";
    };
    Serve(defaultText_ + fanDegraded(3));
    const auto sink = HookSink::Create(nullptr, &RepairNumberOf);
    const Subscription subscription = Subscribe(sink.get(), Watched::Alerts);
    ASSERT_EQ(subscription.NewQuery(1), WBEM_S_NO_ERROR);
    Serve(defaultText_ + fanDegraded(6));
    EXPECT_EQ(Settled(sink, 1), std::vector<int>{201});
}

// Two fans in one redundancy group (the group is sensor 20, the fans 22 and 23), the second
// at `secondFanSpeed`, and no log.
std::string SmallPlatform(int secondFanSpeed) {
    std::string text = "#pragma namespace(\"root\\\\wmi\")\n";
    for (const int fan : {1, 2}) {
        const std::string n = std::to_string(fan);
        text += "instance of FanInfo { InstanceName = \"ROOT\\\\KESHHLTH\\\\0000_" + n +
                "\"; FanIndex = " + n + "; FanLocale = " + n +
                "; FanPresent = TRUE; FanPhysicallyFailed = FALSE; FanSpeed = " +
                std::to_string(fan == 2 ? secondFanSpeed : 1) +
                "; FanRedCapable = TRUE; FanRedGroupId = 1; FanMinReqForRedundancy = 2;"
                " FanMinReqToRun = 1; };\n";
    }
    return text;
}

// A directive on a health driver class: absent, or stalling before its first object.
std::string Directive(const char* className, bool absent) {
    return std::string("#pragma namespace(\"root\\\\norvwmi\")\ninstance of ") +
           (absent ? "Norvwmi_AbsentClass" : "Norvwmi_ClassBehaviour") +
           " { Namespace = \"root\\\\wmi\"; ClassName = \"" + className + "\";" +
           (absent ? "" : " StallAfter = 0;") + " };\n";
}

// One read of the log refused (the class absent, as while a driver restarts), or of FanInfo
// timed out before its first object (a slow driver), between two reads of the platform as it
// was: a failed read of the log or of those sensors. Nothing is announced again, and the one
// change made meanwhile (a record appended, a fan's speed) comes once, as what it is. (That
// both failures count as a query not run is the health data source's, wmi_access_test's.)
TEST_F(HardwareEventProviderTest, ARefusedOrTimedOutReadKeepsTheBaseline) {
    const std::string log =
        "#pragma namespace(\"root\\\\norvwmi\")\n" + Records(Watched::Creations, 301, 3);
    const struct {
        const char* shape;
        std::string failed;
        std::string after;
        std::vector<int> events;
    } kRows[] = {
        {"log refused", SmallPlatform(1) + Directive("KronInfo", true),
         SmallPlatform(1) + log + OsStop(304), {1304}},
        {"fans timed out", SmallPlatform(1) + log + Directive("FanInfo", false),
         SmallPlatform(2) + log, {3023}},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.shape);
        Serve(SmallPlatform(1) + log);
        const auto sink = HookSink::Create(nullptr, &EventOf);
        Subscription subscription = Subscribe(sink.get());
        ASSERT_EQ(subscription.NewQuery(1), WBEM_S_NO_ERROR);
        Serve(row.failed);
        ::Sleep(kSettleMs);
        Serve(row.after);
        EXPECT_EQ(Settled(sink, row.events.size()), row.events);
        subscription = Subscription{};
        EXPECT_TRUE(ModuleUnloadableSoon());
    }
}

// WMI may give a query id again; it is still one query, which one cancel ends.
TEST_F(HardwareEventProviderTest, WorkerCountsAQueryIdGivenTwiceOnce) {
    const auto sink = EventSink();
    const Subscription subscription = Subscribe(sink.get());
    ASSERT_EQ(subscription.NewQuery(5), WBEM_S_NO_ERROR);
    ASSERT_EQ(subscription.NewQuery(5), WBEM_S_NO_ERROR);
    EXPECT_EQ(subscription.CancelQuery(5), WBEM_S_NO_ERROR);
    ServeWith(211, 1);
    EXPECT_EQ(Settled(sink, 0), std::vector<int>{});
}

// A failed Indicate is tried again at the next tick; the others are not held back by it.
TEST_F(HardwareEventProviderTest, WorkerTriesAFailedIndicateAgainAndDeliversEachEventOnce) {
    const auto sink =
        EventSink([](std::size_t call) { return call == 0 ? WBEM_E_FAILED : WBEM_S_NO_ERROR; });
    const Subscription subscription = Subscribe(sink.get());
    ASSERT_EQ(subscription.NewQuery(1), WBEM_S_NO_ERROR);
    ServeWith(221, 3);
    EXPECT_EQ(Settled(sink, 3), (std::vector<int>{222, 223, 221}));
}

// The events found while WMI had not yet given a sink wait for it.
TEST_F(HardwareEventProviderTest, WorkerKeepsTheEventsFoundBeforeTheSinkCame) {
    const Subscription subscription = Subscribe(nullptr);
    ASSERT_EQ(subscription.NewQuery(1), WBEM_S_NO_ERROR);
    ServeWith(231, 2);
    ::Sleep(kSettleMs);
    const auto sink = EventSink();
    ASSERT_EQ(subscription.ProvideEvents(sink.get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(Settled(sink, 2), (std::vector<int>{231, 232}));
}

// A sink may release WMI's last reference inside Indicate, on the worker's own thread: the
// provider goes once the tick is over, and with it every module lock.
TEST_F(HardwareEventProviderTest, WorkerOutlivesAReleaseInsideIndicate) {
    ComPtr<IWbemProviderInit> provider;
    const auto sink = EventSink([&provider](std::size_t) {
        provider = {};
        return WBEM_S_NO_ERROR;
    });
    Subscription subscription = Subscribe(sink.get());
    ASSERT_EQ(subscription.NewQuery(1), WBEM_S_NO_ERROR);
    provider = std::move(subscription.provider);
    ServeWith(241, 2);
    EXPECT_EQ(Settled(sink, 1), std::vector<int>{241}) << "released: the rest is not delivered";
    EXPECT_TRUE(ModuleUnloadableSoon());
}

// A sink may cancel the last query inside Indicate: that run ends, and a query after it starts
// a new one, which sees what happens from then on.
TEST_P(ExactlyOnceTest, WorkerStoppedInsideIndicateStartsAgainForTheNextQuery) {
    ComPtr<IWbemEventProviderQuerySink> queries;
    const auto sink = EventSink(
        [&queries](std::size_t call) {
            if (call == 0) queries->CancelQuery(1);
            return WBEM_S_NO_ERROR;
        },
        GetParam());
    const Subscription subscription = Subscribe(sink.get(), GetParam());
    queries = subscription.Queries();
    ASSERT_EQ(subscription.NewQuery(1), WBEM_S_NO_ERROR);
    ServeWith(251, 2, GetParam());
    EXPECT_EQ(Settled(sink, 1), std::vector<int>{251});
    ASSERT_EQ(subscription.NewQuery(2), WBEM_S_NO_ERROR);
    ServeWith(251, 3, GetParam());
    EXPECT_EQ(Settled(sink, 2), (std::vector<int>{251, 253}));
    EXPECT_EQ(subscription.CancelQuery(2), WBEM_S_NO_ERROR);
    queries = {};
}

// A sink that blocks in Indicate holds no lock of the module: another process takes the locks
// of the event provider and of a LogRecord request at once, and a cancel returns after at
// most a period instead of waiting for the blocked tick.
TEST_F(HardwareEventProviderTest, BlockedSinkHoldsUpNeitherTheLocksNorACancel) {
    const TestEvent entered("Entered"), unblock("Unblock");
    const auto sink = EventSink([&](std::size_t) {
        ::SetEvent(entered.Get());
        unblock.WaitFor(kEventWaitMs);
        return WBEM_S_NO_ERROR;
    });
    Subscription subscription = Subscribe(sink.get());
    ASSERT_EQ(subscription.NewQuery(1), WBEM_S_NO_ERROR);
    ServeWith(261, 1);
    ASSERT_TRUE(entered.WaitFor(kEventWaitMs));

    HelperProcess request(
        "try 2000 NorvHardwareEventProv NorvLogRecordProv Norv_SEL_Access "
        "Norv_SDR_Access");
    EXPECT_EQ(request.WaitForExit(10000), 0u);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(subscription.CancelQuery(1), WBEM_S_NO_ERROR);
    EXPECT_LT(::GetTickCount64() - start, 2000u);
    ::SetEvent(unblock.Get());
    subscription = Subscription{};
}

// A temporary consumer (no SID) is the calling client, checked at impersonation level; a
// permanent one is its creator's SID, with no client to impersonate.
TEST_F(HardwareEventProviderTest, AccessCheckTakesTheClientOrThePermanentConsumersSid) {
    const Subscription subscription = Subscribe(nullptr);
    ComPtr<IWbemEventProviderSecurity> security;
    ASSERT_EQ(subscription.provider.query(security), S_OK);
    const auto check = [&](const BYTE* sid, LONG length) {
        return security->AccessCheck(L"WQL", L"SELECT * FROM __InstanceCreationEvent", length, sid);
    };
    EXPECT_EQ(AsClient(ClientLevel::Impersonate, [&] { return check(nullptr, 0); }),
              WBEM_S_NO_ERROR);

    const auto sidOf = [](WELL_KNOWN_SID_TYPE type) {
        std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
        DWORD size = static_cast<DWORD>(sid.size());
        EXPECT_TRUE(::CreateWellKnownSid(type, nullptr, sid.data(), &size));
        sid.resize(size);
        return sid;
    };
    const auto administrators = sidOf(WinBuiltinAdministratorsSid);
    const auto anonymous = sidOf(WinAnonymousSid);
    const LONG length = static_cast<LONG>(administrators.size());
    EXPECT_EQ(check(administrators.data(), length), WBEM_S_NO_ERROR);
    EXPECT_EQ(AsClient(ClientLevel::Identify, [&] { return check(administrators.data(), length); }),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(check(anonymous.data(), static_cast<LONG>(anonymous.size())), kWbemAccessDenied);
    EXPECT_EQ(check(administrators.data(), length - 1), kWbemAccessDenied);
    EXPECT_EQ(check(administrators.data(), 4), kWbemAccessDenied);
    const std::vector<BYTE> garbage(16, 0xEE);
    EXPECT_EQ(check(garbage.data(), 16), kWbemAccessDenied);
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
