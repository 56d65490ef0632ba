// The controller, domain and collection providers of the built module, as WMI drives them:
// made through the module's class objects, initialised with the stand-in's namespace of the
// shipped classes on the default platform, and called inside a server call context.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "com/com_object.h"
#include "com/wbem_services.h"
#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "host/type_library_registration.h"
#include "inventory/controller_record.h"
#include "platform/wmi_property.h"
#include "platform/wmi_query.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using norvwmi::ClientLevel;
using norvwmi::RecordingSink;
using norvwmi::SinkEvent;
using win::ComPtr;

constexpr HRESULT kFailed = static_cast<HRESULT>(WBEM_E_FAILED);
constexpr HRESULT kNotFound = static_cast<HRESULT>(WBEM_E_NOT_FOUND);
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(WBEM_E_ACCESS_DENIED);
constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(WBEM_E_INVALID_PARAMETER);
constexpr HRESULT kNotSupported = static_cast<HRESULT>(WBEM_E_NOT_SUPPORTED);
constexpr HRESULT kNotCapable = static_cast<HRESULT>(WBEM_E_PROVIDER_NOT_CAPABLE);
constexpr HRESULT kCancelled = static_cast<HRESULT>(WBEM_E_CALL_CANCELLED);

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// ---------------------------------------------------------------------------------------
// What each served class shows.

struct ExpectedTexts {
    const wchar_t* property;
    std::vector<std::wstring> values;  // one value: a string property, else an array
    bool isArray = false;
};

struct ServedClassCase {
    const char* label;
    ProviderClass providerClass;
    const wchar_t* className;
    std::vector<ExpectedTexts> texts;
    std::vector<const wchar_t*> nullProperties;
    // Paths of the one instance: as written, and with class and key names in other case.
    std::wstring path;
    std::wstring pathInOtherLetterCase;
    // Paths of the class that name no instance.
    std::vector<std::wstring> unknownPaths;

    GUID Clsid() const { return win::GuidOf(IdentityOf(providerClass).clsid); }
    std::string LockName() const {
        return "Global\\wmi_" + std::string(IdentityOf(providerClass).className);
    }
};

void PrintTo(const ServedClassCase& c, std::ostream* out) {
    *out << c.label;
}

// The default platform's driver version is 8.15 (platforms/default.mof).
constexpr const wchar_t* kDefaultFirmware = L"8.15";

std::vector<ServedClassCase> ServedClassCases() {
    const ManagementControllerRecord& controller = TheManagementController();
    const std::wstring controllerName = Wide(controller.name);
    const std::wstring instanceId = Wide(controller.instanceId);
    const std::wstring domainName = L"Management Access Point (MAP) Addressing Root";
    return {
        {"ComputerSystem",
         ProviderClass::ComputerSystem,
         L"ComputerSystem",
         {{L"CreationClassName", {L"ComputerSystem"}},
          {L"Name", {L"IPMI Controller 0"}},
          {L"ElementName", {L"IPMI Controller 0"}},
          {L"Caption", {L"BMC 0"}},
          {L"Description", {std::wstring(L"BMC 0 - IPMI v1.5 - fw v") + kDefaultFirmware}},
          {L"NameFormat", {L"Other"}},
          {L"Roles", {L"Hardware Management Controller"}, true},
          {L"IdentifyingDescriptions", {L"Manufacturer ID-Product ID"}, true},
          {L"OtherIdentifyingInfo", {Wide(controller.manufacturerId) + L"-0"}, true}},
         {L"EnabledState", L"OperationalStatus", L"HealthState", L"ResetCapability",
          L"OtherDedicatedDescriptions"},
         L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=\"" + controllerName + L"\"",
         L"computersystem.NAME=\"" + controllerName + L"\",creationClassName=\"ComputerSystem\"",
         {L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=\"ipmi controller 0\"",
          L"ComputerSystem.CreationClassName=\"computersystem\",Name=\"" + controllerName + L"\"",
          L"ComputerSystem.Name=\"" + controllerName + L"\"",
          L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=\"IPMI Controller 1\"",
          L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=0"}},
        {"AdminDomain",
         ProviderClass::AdminDomain,
         L"AdminDomain",
         {{L"CreationClassName", {L"AdminDomain"}},
          {L"Name", {domainName}},
          {L"ElementName", {domainName}},
          {L"Caption", {L"MAP Addressing Root"}},
          {L"Description", {L"DMTF WBEM/CIM SMA " + domainName}},
          {L"NameFormat", {L"AS"}},
          {L"Roles", {domainName}, true}},
         {L"PrimaryOwnerName", L"PrimaryOwnerContact", L"EnabledState"},
         L"AdminDomain.CreationClassName=\"AdminDomain\",Name=\"" + domainName + L"\"",
         L"ADMINDOMAIN.creationclassname=\"AdminDomain\",name=\"" + domainName + L"\"",
         {L"AdminDomain.CreationClassName=\"admindomain\",Name=\"" + domainName + L"\"",
          L"AdminDomain.CreationClassName=\"AdminDomain\",Name=\"MAP Addressing Root\"",
          L"AdminDomain.CreationClassName=\"AdminDomain\""}},
        {"SystemSpecificCollection",
         ProviderClass::SystemSpecificCollection,
         L"SystemSpecificCollection",
         {{L"InstanceID", {instanceId}},
          {L"Caption", {L"Sensors"}},
          {L"ElementName", {L"Sensor Collection"}},
          {L"Description", {L"Sensor Collection"}}},
         {},
         L"SystemSpecificCollection.InstanceID=\"" + instanceId + L"\"",
         L"systemspecificcollection.INSTANCEID=\"" + instanceId + L"\"",
         {L"SystemSpecificCollection.InstanceID=\"" + instanceId + L"1\"",
          L"SystemSpecificCollection.InstanceID=\"\"",
          L"SystemSpecificCollection.Other=\"" + instanceId + L"\"",
          L"SystemSpecificCollection=\"" + instanceId + L"\""}},
    };
}

// ---------------------------------------------------------------------------------------

class ServedClassTest : public ::testing::TestWithParam<ServedClassCase> {
protected:
    static void SetUpTestSuite() { wmi_ = new StandInWmi(); }
    static void TearDownTestSuite() {
        delete wmi_;
        wmi_ = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        wmi_->Serve(DefaultPlatformNamespaces());
        provider_ = wmi_->InitializedProvider(GetParam().Clsid());
        ASSERT_TRUE(provider_);
    }

    HRESULT Enumerate(RecordingSink* sink, ClientLevel level = ClientLevel::Impersonate) {
        const auto className = Bstr(GetParam().className);
        return AsClient(level, [&] {
            return provider_->CreateInstanceEnumAsync(className.get(), 0, nullptr, sink);
        });
    }
    HRESULT Get(const wchar_t* path, RecordingSink* sink,
                ClientLevel level = ClientLevel::Impersonate) {
        const auto pathText = path ? Bstr(path) : win::UniqueBstr();
        return AsClient(
            level, [&] { return provider_->GetObjectAsync(pathText.get(), 0, nullptr, sink); });
    }
    // The one instance an enumeration yields.
    ComPtr<IWbemClassObject> EnumeratedInstance() {
        const auto sink = NewSink();
        EXPECT_EQ(Enumerate(sink.get()), WBEM_S_NO_ERROR);
        const auto objects = sink->Objects();
        EXPECT_EQ(objects.size(), 1u);
        return objects.empty() ? ComPtr<IWbemClassObject>() : objects.front();
    }

    inline static StandInWmi* wmi_ = nullptr;
    ComPtr<IWbemServices> provider_;
};

void ExpectShownValues(IWbemClassObject* instance, const ServedClassCase& c) {
    for (const ExpectedTexts& expected : c.texts) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(expected.property)));
        if (expected.isArray) {
            EXPECT_EQ(StringsOf(instance, expected.property), expected.values);
        } else {
            EXPECT_EQ(StringOf(instance, expected.property), expected.values.front());
        }
    }
    for (const wchar_t* property : c.nullProperties) {
        EXPECT_TRUE(IsNull(instance, property)) << testing::PrintToString(std::wstring(property));
    }
}

TEST_P(ServedClassTest, AnEnumerationYieldsTheOneInstanceAndCompletesOnce) {
    const auto sink = NewSink();
    ASSERT_EQ(Enumerate(sink.get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
    const std::vector<SinkEvent> events = sink->Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, SinkEvent::Kind::Indicate);
    ASSERT_EQ(events[0].objects.size(), 1u) << "one object per Indicate";
    EXPECT_EQ(events[1].kind, SinkEvent::Kind::Status);
    EXPECT_EQ(events[1].flags, WBEM_STATUS_COMPLETE);
    EXPECT_EQ(events[1].result, WBEM_S_NO_ERROR);
    EXPECT_TRUE(events[1].text.empty());
    EXPECT_FALSE(events[1].object);
    ExpectShownValues(events[0].objects[0].get(), GetParam());
}

TEST_P(ServedClassTest, EveryRequestMakesTheInstanceAnew) {
    const auto first = EnumeratedInstance();
    const auto second = EnumeratedInstance();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->CompareTo(0, second.get()), WBEM_S_SAME);
}

TEST_P(ServedClassTest, ALookupByTheEnumeratedPathReturnsTheSameInstance) {
    const auto enumerated = EnumeratedInstance();
    ASSERT_TRUE(enumerated);
    const std::wstring relativePath = StringOf(enumerated.get(), L"__RELPATH");
    for (const std::wstring& path :
         {relativePath, GetParam().path, GetParam().pathInOtherLetterCase,
          std::wstring(L"\\\\.\\root\\cimv2\\ipmi:") + GetParam().path}) {
        SCOPED_TRACE(testing::PrintToString(path));
        const auto sink = NewSink();
        ASSERT_EQ(Get(path.c_str(), sink.get()), WBEM_S_NO_ERROR);
        EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
        const std::vector<SinkEvent> events = sink->Events();
        ASSERT_EQ(events.size(), 2u);
        ASSERT_EQ(events[0].objects.size(), 1u);
        EXPECT_EQ(events[0].objects[0]->CompareTo(0, enumerated.get()), WBEM_S_SAME);
        EXPECT_EQ(events[1].flags, 0);
        EXPECT_EQ(events[1].result, WBEM_S_NO_ERROR);
    }
}

TEST_P(ServedClassTest, KeysThatNameNoInstanceAreNotFoundWithoutTouchingTheSink) {
    for (const std::wstring& path : GetParam().unknownPaths) {
        const auto sink = NewSink();
        EXPECT_EQ(Get(path.c_str(), sink.get()), kNotFound) << testing::PrintToString(path);
        EXPECT_TRUE(sink->Events().empty());
    }
}

TEST_P(ServedClassTest, PathsThatAreNotOfAnInstanceOfTheClassAreInvalid) {
    const ServedClassCase& c = GetParam();
    std::vector<std::wstring> paths = {
        c.className,  // a class path
        L"\\\\.\\root\\cimv2\\ipmi:" + std::wstring(c.className),
        std::wstring(c.className) + L".Name=\"open",
        L"",
    };
    for (const ServedClassCase& other : ServedClassCases()) {
        if (other.providerClass != c.providerClass) paths.push_back(other.path);
    }
    paths.push_back(
        L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"1.0.32\","
        L"SystemCreationClassName=\"ComputerSystem\",SystemName=\"IPMI Controller 0\"");
    for (const std::wstring& path : paths) {
        const auto sink = NewSink();
        EXPECT_EQ(Get(path.c_str(), sink.get()), kInvalidParameter) << testing::PrintToString(path);
        EXPECT_TRUE(sink->Events().empty());
    }
    const auto sink = NewSink();
    EXPECT_EQ(Get(nullptr, sink.get()), kInvalidParameter);
    EXPECT_TRUE(sink->Events().empty());
}

TEST_P(ServedClassTest, ANullSinkIsAnInvalidParameter) {
    EXPECT_EQ(Enumerate(nullptr), kInvalidParameter);
    EXPECT_EQ(Get(GetParam().path.c_str(), nullptr), kInvalidParameter);
}

TEST_P(ServedClassTest, AFailedIndicateEndsTheEnumerationAndIsItsResult) {
    const auto sink = NewSink();
    sink->FailIndicateWith(kCancelled);
    const HRESULT hr = Enumerate(sink.get());
    EXPECT_EQ(hr, kCancelled);
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, kCancelled);
    EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
}

TEST_P(ServedClassTest, AFailedIndicateOfALookupStillCompletesIt) {
    const auto sink = NewSink();
    sink->FailIndicateWith(kCancelled);
    EXPECT_EQ(Get(GetParam().path.c_str(), sink.get()), WBEM_S_NO_ERROR);
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, WBEM_S_NO_ERROR);
}

TEST_P(ServedClassTest, AnIdentifyingClientIsDeniedWhereverThePrologueRuns) {
    const auto path = Bstr(GetParam().path.c_str());
    const auto className = Bstr(GetParam().className);
    const auto language = Bstr(L"WQL");
    const auto query = Bstr(L"SELECT * FROM ComputerSystem");
    const auto method = Bstr(L"RequestStateChange");
    const auto instance = EnumeratedInstance();
    ComPtr<IWbemProviderInit> init;
    ASSERT_EQ(provider_.query(init), S_OK);
    const ComPtr<IWbemServices> nameSpace = wmi_->ProviderNamespace();
    IWbemServices* p = provider_.get();

    for (const ClientLevel level : {ClientLevel::Identify, ClientLevel::Anonymous}) {
        const auto sink = NewSink();
        IWbemObjectSink* s = sink.get();
        const std::vector<std::pair<const char*, std::function<HRESULT()>>> prologued = {
            {"Initialize",
             [&] {
                 return init->Initialize(nullptr, 0, nullptr, nullptr, nameSpace.get(), nullptr,
                                         sink.get());
             }},
            {"GetObjectAsync", [&] { return p->GetObjectAsync(path.get(), 0, nullptr, s); }},
            {"CreateInstanceEnumAsync",
             [&] { return p->CreateInstanceEnumAsync(className.get(), 0, nullptr, s); }},
            {"PutInstanceAsync",
             [&] { return p->PutInstanceAsync(instance.get(), 0, nullptr, s); }},
            {"DeleteInstanceAsync",
             [&] { return p->DeleteInstanceAsync(path.get(), 0, nullptr, s); }},
            {"ExecQueryAsync",
             [&] { return p->ExecQueryAsync(language.get(), query.get(), 0, nullptr, s); }},
            {"ExecMethodAsync",
             [&] { return p->ExecMethodAsync(path.get(), method.get(), 0, nullptr, nullptr, s); }},
        };
        for (const auto& [name, call] : prologued) {
            const HRESULT hr = AsClient(level, call);
            if (level == ClientLevel::Identify) {
                EXPECT_EQ(hr, kAccessDenied) << name;
            } else {
                // An anonymous token may not even be opened: then that failure is the answer.
                EXPECT_TRUE(hr == kAccessDenied || hr == static_cast<HRESULT>(0x80070543))
                    << name << " " << std::hex << hr;
            }
        }
        EXPECT_TRUE(sink->Events().empty()) << "a denied request does not reach the sink";
    }

    // The methods that answer at once do not look at the client.
    const auto sink = NewSink();
    IWbemObjectSink* s = sink.get();
    const std::vector<std::pair<const char*, std::function<HRESULT()>>> immediate = {
        {"OpenNamespace",
         [&] { return p->OpenNamespace(path.get(), 0, nullptr, nullptr, nullptr); }},
        {"CancelAsyncCall", [&] { return p->CancelAsyncCall(s); }},
        {"QueryObjectSink", [&] { return p->QueryObjectSink(0, nullptr); }},
        {"GetObject", [&] { return p->GetObject(path.get(), 0, nullptr, nullptr, nullptr); }},
        {"PutClass", [&] { return p->PutClass(instance.get(), 0, nullptr, nullptr); }},
        {"PutClassAsync", [&] { return p->PutClassAsync(instance.get(), 0, nullptr, s); }},
        {"DeleteClass", [&] { return p->DeleteClass(className.get(), 0, nullptr, nullptr); }},
        {"DeleteClassAsync", [&] { return p->DeleteClassAsync(className.get(), 0, nullptr, s); }},
        {"CreateClassEnum", [&] { return p->CreateClassEnum(nullptr, 0, nullptr, nullptr); }},
        {"CreateClassEnumAsync", [&] { return p->CreateClassEnumAsync(nullptr, 0, nullptr, s); }},
        {"PutInstance", [&] { return p->PutInstance(instance.get(), 0, nullptr, nullptr); }},
        {"DeleteInstance", [&] { return p->DeleteInstance(path.get(), 0, nullptr, nullptr); }},
        {"CreateInstanceEnum",
         [&] { return p->CreateInstanceEnum(className.get(), 0, nullptr, nullptr); }},
        {"ExecQuery",
         [&] { return p->ExecQuery(language.get(), query.get(), 0, nullptr, nullptr); }},
        {"ExecNotificationQuery",
         [&] {
             return p->ExecNotificationQuery(language.get(), query.get(), 0, nullptr, nullptr);
         }},
        {"ExecNotificationQueryAsync",
         [&] { return p->ExecNotificationQueryAsync(language.get(), query.get(), 0, nullptr, s); }},
        {"ExecMethod",
         [&] {
             return p->ExecMethod(path.get(), method.get(), 0, nullptr, nullptr, nullptr, nullptr);
         }},
    };
    for (const ClientLevel level : {ClientLevel::Identify, ClientLevel::Impersonate}) {
        for (const auto& [name, call] : immediate) {
            EXPECT_EQ(AsClient(level, call), kNotSupported) << name;
        }
    }
    for (const auto& [name, call] : immediate) EXPECT_EQ(call(), kNotSupported) << name;
    EXPECT_TRUE(sink->Events().empty());
}

TEST_P(ServedClassTest, OutsideAServerCallThePrologueRefusesTheRequest) {
    const auto sink = NewSink();
    const auto className = Bstr(GetParam().className);
    const HRESULT hr = provider_->CreateInstanceEnumAsync(className.get(), 0, nullptr, sink.get());
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(hr, ::CoImpersonateClient()) << "the failure of impersonating is the answer";
    EXPECT_TRUE(sink->Events().empty());
}

TEST_P(ServedClassTest, EveryRequestEndsWithoutImpersonating) {
    for (const wchar_t* path : {GetParam().path.c_str(), L"Nothing.Name=\"x\""}) {
        norvwmi::ServerCallContext context(ClientLevel::Impersonate);
        ASSERT_EQ(context.Status(), S_OK);
        const auto sink = NewSink();
        const auto pathText = Bstr(path);
        provider_->GetObjectAsync(pathText.get(), 0, nullptr, sink.get());
        context.End();
        EXPECT_FALSE(context.LeftImpersonating());
    }
    norvwmi::ServerCallContext context(ClientLevel::Impersonate);
    const auto sink = NewSink();
    provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get());
    context.End();
    EXPECT_FALSE(context.LeftImpersonating());
}

TEST_P(ServedClassTest, QueriesAreLeftToWmiAndCompleteOnce) {
    const auto language = Bstr(L"WQL");
    const auto query = Bstr(L"SELECT * FROM ComputerSystem WHERE Name = 'x'");
    const auto first = NewSink();
    const auto second = NewSink();
    HRESULT hr = AsClient([&] {
        return provider_->ExecQueryAsync(language.get(), query.get(), 0, nullptr, first.get());
    });
    EXPECT_EQ(hr, kNotCapable);
    EXPECT_EQ(CompletionProblems(hr, *first.get()), "");
    const auto finals = first->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, kNotCapable);
    EXPECT_TRUE(first->Objects().empty());

    // The query parser made by the first query serves the second.
    const long objectsBefore = norvwmi::LiveComObjects();
    hr = AsClient([&] {
        return provider_->ExecQueryAsync(language.get(), query.get(), 0, nullptr, second.get());
    });
    EXPECT_EQ(hr, kNotCapable);
    EXPECT_EQ(norvwmi::LiveComObjects(), objectsBefore);
    EXPECT_EQ(second->FinalStatuses().size(), 1u);
}

TEST_P(ServedClassTest, InstancesCannotBeChangedAndMethodsAreNotServed) {
    const auto instance = EnumeratedInstance();
    const auto path = Bstr(GetParam().path.c_str());
    const auto method = Bstr(L"RequestStateChange");
    const auto sink = NewSink();
    IWbemServices* p = provider_.get();
    EXPECT_EQ(AsClient([&] { return p->PutInstanceAsync(instance.get(), 0, nullptr, sink.get()); }),
              kNotCapable);
    EXPECT_EQ(AsClient([&] { return p->PutInstanceAsync(nullptr, 0, nullptr, sink.get()); }),
              kInvalidParameter);
    EXPECT_EQ(AsClient([&] { return p->PutInstanceAsync(instance.get(), 0, nullptr, nullptr); }),
              kInvalidParameter);
    EXPECT_EQ(AsClient([&] { return p->DeleteInstanceAsync(path.get(), 0, nullptr, sink.get()); }),
              kNotCapable);
    EXPECT_EQ(AsClient([&] { return p->DeleteInstanceAsync(nullptr, 0, nullptr, nullptr); }),
              kNotCapable);
    EXPECT_EQ(AsClient([&] {
                  return p->ExecMethodAsync(path.get(), method.get(), 0, nullptr, nullptr,
                                            sink.get());
              }),
              kNotSupported);
    EXPECT_TRUE(sink->Events().empty());
}

TEST_P(ServedClassTest, InitializeNeedsTheNamespaceTheSinkAndTheClass) {
    ComPtr<IWbemServices> fresh;
    ASSERT_EQ(wmi_->CreateProvider(GetParam().Clsid(), fresh), S_OK);
    ComPtr<IWbemProviderInit> init;
    ASSERT_EQ(fresh.query(init), S_OK);
    const ComPtr<IWbemServices> nameSpace = wmi_->ProviderNamespace();
    const auto sink = NewSink();
    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                          sink.get());
              }),
              kInvalidParameter);
    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, 0, nullptr, nullptr, nameSpace.get(), nullptr,
                                          nullptr);
              }),
              kInvalidParameter);
    EXPECT_TRUE(sink->Events().empty());

    // A namespace without the served class.
    const std::string_view onlyHealth[] = {kHealthClasses};
    auto elsewhere = norvwmi::NamespaceServices::Create(LoadNamespaces(onlyHealth), "root\\wmi");
    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, 0, nullptr, nullptr, elsewhere.get(), nullptr,
                                          sink.get());
              }),
              kFailed);
    EXPECT_TRUE(sink->Events().empty());

    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, 0, nullptr, nullptr, nameSpace.get(), nullptr,
                                          sink.get());
              }),
              WBEM_S_NO_ERROR);
    const auto statuses = sink->InitStatuses();
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].result, WBEM_S_INITIALIZED);
    EXPECT_EQ(statuses[0].flags, 0);
}

TEST_P(ServedClassTest, AnswersItsThreeInterfacesAndDescribesItsCoclass) {
    ComPtr<IUnknown> unknown;
    ComPtr<IWbemProviderInit> init;
    ComPtr<IProvideClassInfo> classInfo;
    ASSERT_EQ(provider_.query(unknown), S_OK);
    ASSERT_EQ(provider_.query(init), S_OK);
    ASSERT_EQ(provider_.query(classInfo), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(provider_.get()));
    ComPtr<IClassFactory> notOffered;
    EXPECT_EQ(provider_.query(notOffered), E_NOINTERFACE);
    EXPECT_FALSE(notOffered);
    ComPtr<IUnknown> back;
    ASSERT_EQ(classInfo.query(back), S_OK);
    EXPECT_EQ(back.get(), unknown.get()) << "one identity";
    EXPECT_EQ(classInfo->GetClassInfo(nullptr), E_POINTER);
}

TEST_P(ServedClassTest, DescribesItsCoclassFromTheRegisteredTypeLibrary) {
    ComPtr<IProvideClassInfo> classInfo;
    ASSERT_EQ(provider_.query(classInfo), S_OK);
    ASSERT_EQ(win::RegisterModuleTypeLibrary(wmi_->Module()), S_OK);
    ComPtr<ITypeInfo> info;
    const HRESULT hr = classInfo->GetClassInfo(info.put());
    win::UnregisterModuleTypeLibrary(wmi_->Module());
    ASSERT_EQ(hr, S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, GetParam().Clsid()));
    info->ReleaseTypeAttr(attributes);
    BSTR rawName = nullptr;
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &rawName, nullptr, nullptr, nullptr), S_OK);
    const win::UniqueBstr name(rawName);
    const std::string_view coclass = IdentityOf(GetParam().providerClass).coclassName;
    EXPECT_EQ(std::wstring(name.get()), std::wstring(coclass.begin(), coclass.end()));
}

TEST_P(ServedClassTest, TheProviderKeepsTheModuleLoadedWhileItLives) {
    EXPECT_EQ(wmi_->CanUnloadNow(), S_FALSE);
    provider_.reset();
    EXPECT_EQ(wmi_->CanUnloadNow(), S_OK);
}

TEST_P(ServedClassTest, EachRequestHoldsTheProvidersOwnLock) {
    // Another thread holds the provider's machine-wide mutex: the request waits for it.
    const std::string name = GetParam().LockName();
    win::UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, name.c_str()));
    ASSERT_TRUE(mutex);
    HANDLE held = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    win::UniqueHandle heldOwner(held);
    win::UniqueHandle releaseOwner(release);
    std::thread holder([&] {
        ::WaitForSingleObject(mutex.get(), INFINITE);
        ::SetEvent(held);
        ::WaitForSingleObject(release, INFINITE);
        ::ReleaseMutex(mutex.get());
    });
    ASSERT_EQ(::WaitForSingleObject(held, 10000), WAIT_OBJECT_0);

    std::atomic<bool> done{false};
    const auto sink = NewSink();
    HRESULT result = E_FAIL;
    std::thread request([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        result = Enumerate(sink.get());
        done = true;
        ::CoUninitialize();
    });
    ::Sleep(300);
    EXPECT_FALSE(done) << "the request ran without the provider's lock " << name;
    ::SetEvent(release);
    holder.join();
    request.join();
    EXPECT_EQ(result, WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->Objects().size(), 1u);

    // Released at the end of every request, found or not.
    const auto missing = NewSink();
    EXPECT_EQ(Get(GetParam().unknownPaths.front().c_str(), missing.get()), kNotFound);
    EXPECT_EQ(::WaitForSingleObject(mutex.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ::ReleaseMutex(mutex.get());
}

INSTANTIATE_TEST_SUITE_P(Classes, ServedClassTest, ::testing::ValuesIn(ServedClassCases()),
                         [](const auto& test) { return std::string(test.param.label); });

// ---------------------------------------------------------------------------------------
// The controller's firmware version, read from the health driver on every request.

class ControllerFirmwareTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wmi_ = new StandInWmi(); }
    static void TearDownTestSuite() {
        delete wmi_;
        wmi_ = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        wmi_->Serve(DefaultPlatformNamespaces());
        provider_ =
            wmi_->InitializedProvider(win::GuidOf(IdentityOf(ProviderClass::ComputerSystem).clsid));
        ASSERT_TRUE(provider_);
    }

    std::wstring Description() {
        const auto sink = NewSink();
        const HRESULT hr = AsClient(
            [&] { return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get()); });
        EXPECT_EQ(hr, WBEM_S_NO_ERROR);
        const auto objects = sink->Objects();
        return objects.size() == 1 ? StringOf(objects.front().get(), L"Description") : L"";
    }

    inline static StandInWmi* wmi_ = nullptr;
    ComPtr<IWbemServices> provider_;
};

TEST_F(ControllerFirmwareTest, TheDefaultPlatformsDriverVersionIsShown) {
    WbemObjectList versions;
    ExecWqlQuery("root\\wmi", "SELECT * FROM DriverVersion", versions, nullptr);
    ASSERT_EQ(versions.size(), 1u);
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    GetUInt16Property(versions.front(), L"DriverMajorVersion", major);
    GetUInt16Property(versions.front(), L"DriverMinorVersion", minor);
    ASSERT_EQ(major, 8);
    ASSERT_EQ(minor, 15);
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v8.15");
}

TEST_F(ControllerFirmwareTest, WithoutTheDriversClassTheVersionIsOnePointZeroZero) {
    // The driver registers its classes itself: without it root\wmi has no DriverVersion.
    const std::string_view withoutDriver[] = {kShippedClasses};
    wmi_->Serve(LoadNamespaces(withoutDriver));
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v1.00");
}

TEST_F(ControllerFirmwareTest, WithoutADriverVersionObjectTheVersionIsOnePointZeroZero) {
    const std::string_view withoutObjects[] = {kShippedClasses, kHealthClasses};
    wmi_->Serve(LoadNamespaces(withoutObjects));
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v1.00");
}

TEST_F(ControllerFirmwareTest, TheVersionIsReadAgainForEveryRequest) {
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v8.15");
    const std::string_view withoutDriver[] = {kShippedClasses};
    wmi_->Serve(LoadNamespaces(withoutDriver));
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v1.00");
    wmi_->Serve(DefaultPlatformNamespaces());
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v8.15");
}

}  // namespace
}  // namespace norv::test
