// The protocol every one of the seven provider classes of the built module follows: one
// completion per call, object paths that are malformed, of other classes, with duplicate,
// missing, non-string or very long keys; unknown methods; null arguments wherever the
// interfaces allow them; clients that may not be impersonated; Initialize; the provider's own
// lock. Each request gets its status, and one that fails before it completes leaves the sink
// untouched. The per-class suites keep only what is particular to their class.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "platform/platform_loading.h"
#include "com/wbem_services.h"
#include "repository/mof_error.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using norvwmi::RecordingSink;
using win::ComPtr;


constexpr std::size_t kLongText = 65536;

struct ServedClass {
    ProviderClass providerClass;
    const wchar_t* className;
    std::vector<const wchar_t*> keys;
    bool hasMethod = false;         // ClearLog, the one provider method
    bool updateIsDeletion = false;  // the event-log classes answer an update as a deletion

    GUID Clsid() const { return win::GuidOf(IdentityOf(providerClass).clsid); }
};

void PrintTo(const ServedClass& c, std::ostream* out) {
    *out << IdentityOf(c.providerClass).className;
}

const std::vector<ServedClass> kServedClasses = {
    {ProviderClass::LogRecord,
     L"LogRecord",
     {L"CreationClassName", L"LogCreationClassName", L"LogName", L"MessageTimestamp", L"RecordID"},
     false,
     true},
    {ProviderClass::RecordLog, L"RecordLog", {L"InstanceID"}, true, true},
    {ProviderClass::SystemSpecificCollection, L"SystemSpecificCollection", {L"InstanceID"}},
    {ProviderClass::NumericSensor,
     L"NumericSensor",
     {L"CreationClassName", L"DeviceID", L"SystemCreationClassName", L"SystemName"}},
    {ProviderClass::Sensor,
     L"Sensor",
     {L"CreationClassName", L"DeviceID", L"SystemCreationClassName", L"SystemName"}},
    {ProviderClass::ComputerSystem, L"ComputerSystem", {L"CreationClassName", L"Name"}},
    {ProviderClass::AdminDomain, L"AdminDomain", {L"CreationClassName", L"Name"}},
};

// The default platform as the norvwmi program loads it: with its management log.
std::shared_ptr<norvwmi::ServedNamespaces> DefaultPlatformWithLog() {
    return PlatformOf(kDefaultPlatform);
}

// A key as a path writes it: a quoted text with " and \ escaped, or a literal as given.
struct PathKey {
    std::wstring name;
    std::wstring value;
    bool quoted = true;
};

std::wstring PathOf(const std::wstring& className, const std::vector<PathKey>& keys) {
    std::wstring path = className;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        path += i == 0 ? L"." : L",";
        path += keys[i].name + L"=";
        if (!keys[i].quoted) {
            path += keys[i].value;
            continue;
        }
        path += L"\"";
        for (wchar_t c : keys[i].value) {
            if (c == L'"' || c == L'\\') path += L'\\';
            path += c;
        }
        path += L"\"";
    }
    return path;
}

class ProviderProtocolTest : public StandInSuite<::testing::TestWithParam<ServedClass>> {
protected:
    static void SetUpTestSuite() {
        StandInSuite::SetUpTestSuite();
        wmi_->Serve(DefaultPlatformWithLog());
    }
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        provider_ = wmi_->InitializedProvider(GetParam().Clsid());
        ASSERT_TRUE(provider_);
        const auto sink = NewSink();
        ASSERT_EQ(AsClient([&] {
                      return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get());
                  }),
                  WBEM_S_NO_ERROR);
        const auto objects = sink->Objects();
        ASSERT_FALSE(objects.empty());
        instance_ = objects.front();
        for (const wchar_t* key : GetParam().keys) {
            keys_.push_back({key, StringOf(instance_.get(), key)});
            ASSERT_NE(keys_.back().value, L"<not a string>");
        }
    }

    HRESULT Get(const wchar_t* path, RecordingSink* sink) {
        const auto text = path ? Bstr(path) : win::UniqueBstr();
        return AsClient([&] { return provider_->GetObjectAsync(text.get(), 0, nullptr, sink); });
    }
    HRESULT Exec(const wchar_t* path, const wchar_t* method, RecordingSink* sink) {
        const auto pathText = path ? Bstr(path) : win::UniqueBstr();
        const auto methodText = method ? Bstr(method) : win::UniqueBstr();
        return AsClient([&] {
            return provider_->ExecMethodAsync(pathText.get(), methodText.get(), 0, nullptr, nullptr,
                                              sink);
        });
    }
    // The status of a lookup of the path; a failed one must not have touched the sink, a
    // successful one gives the enumerated instance.
    HRESULT LookUp(const std::wstring& path) {
        const auto sink = NewSink();
        const HRESULT hr = Get(path.c_str(), sink.get());
        if (FAILED(hr)) {
            EXPECT_TRUE(sink->Events().empty()) << "a failed lookup called the sink";
        } else {
            EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
            const auto objects = sink->Objects();
            EXPECT_EQ(objects.size(), 1u);
            if (!objects.empty()) {
                EXPECT_EQ(objects[0]->CompareTo(0, instance_.get()), WBEM_S_SAME);
            }
        }
        return hr;
    }
    std::wstring ClassName() const { return GetParam().className; }
    std::wstring ValidPath() const { return PathOf(ClassName(), keys_); }

    ComPtr<IWbemServices> provider_;
    ComPtr<IWbemClassObject> instance_;
    std::vector<PathKey> keys_;
};

TEST_P(ProviderProtocolTest, TheWellFormedPathIsFound) {
    EXPECT_EQ(LookUp(ValidPath()), WBEM_S_NO_ERROR);
}

TEST_P(ProviderProtocolTest, MalformedPathsAreInvalid) {
    const std::wstring c = ClassName();
    const std::wstring valid = ValidPath();
    // The provider only passes the parser's refusal on; a few shapes show it does.
    const std::vector<std::wstring> malformed = {
        L"",
        c + L".Name=\"open",
        valid + L",",
        c,  // a class path names no instance
        L"\\\\.\\root\\cimv2\\ipmi:" + c,
        std::wstring(kLongText, L'A'),  // a 64K class name
    };
    for (const std::wstring& path : malformed) {
        EXPECT_EQ(LookUp(path), kWbemInvalidParameter) << testing::PrintToString(path.substr(0, 80));
    }
}

TEST_P(ProviderProtocolTest, PathsOfOtherClassesAreInvalid) {
    for (const ServedClass& other : kServedClasses) {
        if (other.providerClass == GetParam().providerClass) continue;
        std::vector<PathKey> keys;
        for (const wchar_t* key : other.keys) keys.push_back({key, L"x"});
        // The other class's keys, and this class's keys under the other class's name.
        EXPECT_EQ(LookUp(PathOf(other.className, keys)), kWbemInvalidParameter) << other.className;
        EXPECT_EQ(LookUp(PathOf(other.className, keys_)), kWbemInvalidParameter) << other.className;
        EXPECT_EQ(LookUp(L"\\\\.\\root\\cimv2\\ipmi:" + PathOf(other.className, keys_)),
                  kWbemInvalidParameter);
    }
    // A class whose name starts with the served one's, or is a prefix of it.
    EXPECT_EQ(LookUp(PathOf(ClassName() + L"X", keys_)), kWbemInvalidParameter);
    EXPECT_EQ(LookUp(PathOf(ClassName().substr(0, ClassName().size() - 1), keys_)),
              kWbemInvalidParameter);
}

// Each key left out in turn: an empty wanted value matches nothing. A class with one key has
// then a class path, which is invalid.
TEST_P(ProviderProtocolTest, AMissingKeyIsNotFound) {
    for (std::size_t left = 0; left < keys_.size(); ++left) {
        std::vector<PathKey> keys = keys_;
        keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(left));
        EXPECT_EQ(LookUp(PathOf(ClassName(), keys)), keys.empty() ? kWbemInvalidParameter : kWbemNotFound)
            << testing::PrintToString(std::wstring(keys_[left].name));
    }
}

// A key given twice keeps its last string value; keys of other types are passed over.
TEST_P(ProviderProtocolTest, ADuplicateKeyKeepsItsLastStringValue) {
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        SCOPED_TRACE(testing::PrintToString(keys_[k].name));
        const PathKey wrong{keys_[k].name, keys_[k].value + L"x"};
        struct Variant {
            std::vector<PathKey> extra;  // appended after the keys
            bool replaceWithWrong;       // the key itself carries the wrong value
            HRESULT expected;
        };
        const std::vector<Variant> variants = {
            {{keys_[k]}, false, WBEM_S_NO_ERROR},                         // the same value twice
            {{wrong}, false, kWbemNotFound},                                  // right, then wrong
            {{keys_[k]}, true, WBEM_S_NO_ERROR},                          // wrong, then right
            {{{keys_[k].name, L"5", false}}, false, WBEM_S_NO_ERROR},     // then a number
            {{{keys_[k].name, L"TRUE", false}}, false, WBEM_S_NO_ERROR},  // then a boolean
            {{{keys_[k].name, L"5", false}}, true, kWbemNotFound},
        };
        for (const Variant& v : variants) {
            std::vector<PathKey> keys = keys_;
            if (v.replaceWithWrong) keys[k] = wrong;
            keys.insert(keys.end(), v.extra.begin(), v.extra.end());
            const std::wstring path = PathOf(ClassName(), keys);
            EXPECT_EQ(LookUp(path), v.expected) << testing::PrintToString(path);
        }
    }
}

// A key written as a number or a boolean is not a string key: as if it were missing.
TEST_P(ProviderProtocolTest, ANonStringKeyIsNotFound) {
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        for (const wchar_t* literal : {L"0", L"-1", L"4294967296", L"0x10", L"FALSE"}) {
            std::vector<PathKey> keys = keys_;
            keys[k] = {keys_[k].name, literal, false};
            const std::wstring path = PathOf(ClassName(), keys);
            EXPECT_EQ(LookUp(path), kWbemNotFound) << testing::PrintToString(path);
        }
    }
    // A key written as a number whose digits are the wanted text still is not that text.
    const std::wstring digits =
        GetParam().providerClass == ProviderClass::LogRecord ? L"RecordID" : L"";
    if (!digits.empty()) {
        std::vector<PathKey> keys = keys_;
        for (PathKey& key : keys) {
            if (key.name == digits) key.quoted = false;
        }
        EXPECT_EQ(LookUp(PathOf(ClassName(), keys)), kWbemNotFound);
    }
}

TEST_P(ProviderProtocolTest, VeryLongKeysAreNotFoundAndLongNamesIgnored) {
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        std::vector<PathKey> keys = keys_;
        keys[k].value = std::wstring(kLongText, L'7');
        EXPECT_EQ(LookUp(PathOf(ClassName(), keys)), kWbemNotFound);
        keys[k].value = keys_[k].value + std::wstring(kLongText, L' ');
        EXPECT_EQ(LookUp(PathOf(ClassName(), keys)), kWbemNotFound) << "a value with a long tail";
    }
    // A key of no meaning to the class, with a 64K name or a 64K value, is passed over.
    std::vector<PathKey> keys = keys_;
    keys.push_back({std::wstring(kLongText, L'K'), L"v"});
    EXPECT_EQ(LookUp(PathOf(ClassName(), keys)), WBEM_S_NO_ERROR);
    keys.back() = {L"Other", std::wstring(kLongText, L'v')};
    EXPECT_EQ(LookUp(PathOf(ClassName(), keys)), WBEM_S_NO_ERROR);
}

TEST_P(ProviderProtocolTest, UnknownMethodsAreNotSupported) {
    const std::wstring valid = ValidPath();
    for (const wchar_t* method : {L"NoSuchMethod", L"", L"ClearLogs", L"Clear Log", L"ClearLo",
                                  L"RequestStateChange", L"Reset"}) {
        const auto sink = NewSink();
        EXPECT_EQ(Exec(valid.c_str(), method, sink.get()), kWbemNotSupported)
            << testing::PrintToString(std::wstring(method));
        EXPECT_TRUE(sink->Events().empty());
    }
    const std::wstring longName(kLongText, L'M');
    const auto sink = NewSink();
    EXPECT_EQ(Exec(valid.c_str(), longName.c_str(), sink.get()), kWbemNotSupported);
    EXPECT_EQ(Exec(valid.c_str(), nullptr, sink.get()), kWbemNotSupported);
    EXPECT_EQ(Exec(nullptr, L"NoSuchMethod", sink.get()), kWbemNotSupported);
    EXPECT_TRUE(sink->Events().empty());
}

// ClearLog on bad paths: the method's own path check, then the lookup's answer. On the
// classes without a method it is an unknown method whatever the path.
TEST_P(ProviderProtocolTest, TheOneMethodChecksItsPathFirst) {
    struct Case {
        std::wstring path;
        bool nullPath;
        HRESULT withMethod;
    };
    std::vector<PathKey> wrongKeys = keys_;
    wrongKeys[0].value += L"x";
    const std::vector<Case> cases = {
        {L"", true, kWbemInvalidParameter},
        {L"", false, kWbemInvalidParameter},
        {ClassName(), false, kWbemInvalidParameter},
        {ClassName() + L".InstanceID=\"open", false, kWbemInvalidParameter},
        {L"Sensor.DeviceID=\"1.0.0\"", false, kWbemInvalidParameter},
        {PathOf(ClassName(), wrongKeys), false, kWbemNotFound},
        {PathOf(ClassName(), {{L"InstanceID", L"5", false}}), false, kWbemNotFound},
    };
    for (const Case& c : cases) {
        for (const wchar_t* method : {L"ClearLog", L"clearlog"}) {
            const auto sink = NewSink();
            const HRESULT hr = Exec(c.nullPath ? nullptr : c.path.c_str(), method, sink.get());
            EXPECT_EQ(hr, GetParam().hasMethod ? c.withMethod : kWbemNotSupported)
                << testing::PrintToString(c.path);
            EXPECT_TRUE(sink->Events().empty());
        }
    }
    // A null sink is refused before the method name is looked at.
    const std::wstring valid = ValidPath();
    for (const wchar_t* method : {L"ClearLog", L"NoSuchMethod"}) {
        EXPECT_EQ(Exec(valid.c_str(), method, nullptr),
                  GetParam().hasMethod ? kWbemInvalidParameter : kWbemNotSupported);
    }
}

// Null wherever the interfaces allow it. The operations that answer at once do not look at
// their arguments; the others check the sink before they touch anything.
TEST_P(ProviderProtocolTest, NullArgumentsGetTheirStatusWithoutACrash) {
    const std::wstring valid = ValidPath();
    const auto path = Bstr(valid.c_str());
    const auto language = Bstr(L"WQL");
    const auto query = Bstr(L"SELECT * FROM Sensor");
    const auto method = Bstr(L"ClearLog");
    IWbemServices* p = provider_.get();
    IWbemClassObject* instance = instance_.get();
    const HRESULT putAnswer = GetParam().updateIsDeletion ? kWbemProviderNotCapable : kWbemInvalidParameter;

    struct Call {
        const char* label;
        std::function<HRESULT(IWbemObjectSink*)> run;
        HRESULT expected;
        bool withSink;  // run with a recording sink (which must stay untouched), else null
    };
    const std::vector<Call> calls = {
        {"GetObjectAsync null path",
         [&](auto* s) { return p->GetObjectAsync(nullptr, 0, nullptr, s); }, kWbemInvalidParameter,
         true},
        {"GetObjectAsync null sink",
         [&](auto*) { return p->GetObjectAsync(path.get(), 0, nullptr, nullptr); },
         kWbemInvalidParameter, false},
        {"GetObjectAsync nothing",
         [&](auto*) { return p->GetObjectAsync(nullptr, 0, nullptr, nullptr); }, kWbemInvalidParameter,
         false},
        {"CreateInstanceEnumAsync null sink",
         [&](auto*) { return p->CreateInstanceEnumAsync(nullptr, 0, nullptr, nullptr); },
         kWbemInvalidParameter, false},
        {"PutInstanceAsync null instance",
         [&](auto* s) { return p->PutInstanceAsync(nullptr, 0, nullptr, s); }, putAnswer, true},
        {"PutInstanceAsync null sink",
         [&](auto*) { return p->PutInstanceAsync(instance, 0, nullptr, nullptr); }, putAnswer,
         false},
        {"PutInstanceAsync nothing",
         [&](auto*) { return p->PutInstanceAsync(nullptr, 0, nullptr, nullptr); }, putAnswer,
         false},
        {"PutInstanceAsync instance and sink",
         [&](auto* s) { return p->PutInstanceAsync(instance, 0, nullptr, s); }, kWbemProviderNotCapable, true},
        {"DeleteInstanceAsync nothing",
         [&](auto*) { return p->DeleteInstanceAsync(nullptr, 0, nullptr, nullptr); }, kWbemProviderNotCapable,
         false},
        {"DeleteInstanceAsync null path",
         [&](auto* s) { return p->DeleteInstanceAsync(nullptr, 0, nullptr, s); }, kWbemProviderNotCapable,
         true},
        {"ExecQueryAsync null sink",
         [&](auto*) { return p->ExecQueryAsync(nullptr, nullptr, 0, nullptr, nullptr); },
         kWbemProviderNotCapable, false},
        {"ExecMethodAsync nothing",
         [&](auto*) { return p->ExecMethodAsync(nullptr, nullptr, 0, nullptr, nullptr, nullptr); },
         GetParam().hasMethod ? kWbemInvalidParameter : kWbemNotSupported, false},
        {"OpenNamespace",
         [&](auto*) { return p->OpenNamespace(nullptr, 0, nullptr, nullptr, nullptr); },
         kWbemNotSupported, false},
        {"CancelAsyncCall", [&](auto*) { return p->CancelAsyncCall(nullptr); }, kWbemNotSupported,
         false},
        {"QueryObjectSink", [&](auto*) { return p->QueryObjectSink(0, nullptr); }, kWbemNotSupported,
         false},
        {"GetObject", [&](auto*) { return p->GetObject(path.get(), 0, nullptr, nullptr, nullptr); },
         kWbemNotSupported, false},
        {"PutClass", [&](auto*) { return p->PutClass(nullptr, 0, nullptr, nullptr); },
         kWbemNotSupported, false},
        {"PutClassAsync", [&](auto* s) { return p->PutClassAsync(nullptr, 0, nullptr, s); },
         kWbemNotSupported, true},
        {"DeleteClass", [&](auto*) { return p->DeleteClass(nullptr, 0, nullptr, nullptr); },
         kWbemNotSupported, false},
        {"DeleteClassAsync", [&](auto* s) { return p->DeleteClassAsync(nullptr, 0, nullptr, s); },
         kWbemNotSupported, true},
        {"CreateClassEnum", [&](auto*) { return p->CreateClassEnum(nullptr, 0, nullptr, nullptr); },
         kWbemNotSupported, false},
        {"CreateClassEnumAsync",
         [&](auto* s) { return p->CreateClassEnumAsync(nullptr, 0, nullptr, s); }, kWbemNotSupported,
         true},
        {"PutInstance", [&](auto*) { return p->PutInstance(nullptr, 0, nullptr, nullptr); },
         kWbemNotSupported, false},
        {"DeleteInstance", [&](auto*) { return p->DeleteInstance(nullptr, 0, nullptr, nullptr); },
         kWbemNotSupported, false},
        {"CreateInstanceEnum",
         [&](auto*) { return p->CreateInstanceEnum(nullptr, 0, nullptr, nullptr); }, kWbemNotSupported,
         false},
        {"ExecQuery", [&](auto*) { return p->ExecQuery(nullptr, nullptr, 0, nullptr, nullptr); },
         kWbemNotSupported, false},
        {"ExecNotificationQuery",
         [&](auto*) {
             return p->ExecNotificationQuery(language.get(), query.get(), 0, nullptr, nullptr);
         },
         kWbemNotSupported, false},
        {"ExecNotificationQueryAsync",
         [&](auto* s) { return p->ExecNotificationQueryAsync(nullptr, nullptr, 0, nullptr, s); },
         kWbemNotSupported, true},
        {"ExecMethod",
         [&](auto*) {
             return p->ExecMethod(path.get(), method.get(), 0, nullptr, nullptr, nullptr, nullptr);
         },
         kWbemNotSupported, false},
    };
    for (const Call& call : calls) {
        const auto sink = NewSink();
        IWbemObjectSink* given = call.withSink ? sink.get() : nullptr;
        EXPECT_EQ(AsClient([&] { return call.run(given); }), call.expected) << call.label;
        EXPECT_TRUE(sink->Events().empty()) << call.label << " touched the sink";
    }
}

// What completes through the sink even with null arguments: an enumeration that was given
// no class name, and a query that was given neither language nor text.
TEST_P(ProviderProtocolTest, NullNamesStillCompleteOnceThroughTheSink) {
    const auto enumerated = NewSink();
    HRESULT hr = AsClient(
        [&] { return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, enumerated.get()); });
    EXPECT_EQ(hr, WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(hr, *enumerated.get()), "");
    EXPECT_FALSE(enumerated->Objects().empty());

    const auto queried = NewSink();
    hr = AsClient(
        [&] { return provider_->ExecQueryAsync(nullptr, nullptr, 0, nullptr, queried.get()); });
    EXPECT_EQ(hr, kWbemProviderNotCapable);
    EXPECT_EQ(CompletionProblems(hr, *queried.get()), "");
    const auto finals = queried->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, kWbemProviderNotCapable);
    EXPECT_TRUE(queried->Objects().empty());
}

// Initialize uses only the namespace, the context and the sink: the rest may be null, and a
// null namespace or sink is refused without a report.
TEST_P(ProviderProtocolTest, InitializeTakesNullsWhereItIgnoresTheArgument) {
    ComPtr<IWbemServices> fresh;
    ASSERT_EQ(wmi_->CreateProvider(GetParam().Clsid(), fresh), S_OK);
    ComPtr<IWbemProviderInit> init;
    ASSERT_EQ(fresh.query(init), S_OK);
    const ComPtr<IWbemServices> nameSpace = wmi_->ProviderNamespace();
    const auto sink = NewSink();
    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
              }),
              kWbemInvalidParameter);
    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, -1, nullptr, nullptr, nullptr, nullptr,
                                          sink.get());
              }),
              kWbemInvalidParameter);
    EXPECT_TRUE(sink->Events().empty());
    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, -1, nullptr, nullptr, nameSpace.get(), nullptr,
                                          sink.get());
              }),
              WBEM_S_NO_ERROR);
    const auto statuses = sink->InitStatuses();
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].result, WBEM_S_INITIALIZED);

    // The provider so initialised answers a lookup.
    const auto found = NewSink();
    const auto path = Bstr(ValidPath().c_str());
    EXPECT_EQ(AsClient([&] { return fresh->GetObjectAsync(path.get(), 0, nullptr, found.get()); }),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(found->Objects().size(), 1u);
}

// A namespace without the served class fails Initialize without a report.
TEST_P(ProviderProtocolTest, InitializeFailsInANamespaceWithoutTheClass) {
    ComPtr<IWbemServices> fresh;
    ASSERT_EQ(wmi_->CreateProvider(GetParam().Clsid(), fresh), S_OK);
    ComPtr<IWbemProviderInit> init;
    ASSERT_EQ(fresh.query(init), S_OK);
    const std::string_view onlyHealth[] = {kHealthClasses};
    auto elsewhere = norvwmi::NamespaceServices::Create(LoadNamespaces(onlyHealth), "root\\wmi");
    const auto sink = NewSink();
    EXPECT_EQ(AsClient([&] {
                  return init->Initialize(nullptr, 0, nullptr, nullptr, elsewhere.get(), nullptr,
                                          sink.get());
              }),
              kWbemFailed);
    EXPECT_TRUE(sink->Events().empty());
}

// A provider that was never initialised has no class to spawn from and no path parser.
TEST_P(ProviderProtocolTest, AnUninitialisedProviderFailsCleanly) {
    ComPtr<IWbemServices> fresh;
    ASSERT_EQ(wmi_->CreateProvider(GetParam().Clsid(), fresh), S_OK);
    const auto path = Bstr(ValidPath().c_str());
    const auto lookup = NewSink();
    EXPECT_EQ(AsClient([&] { return fresh->GetObjectAsync(path.get(), 0, nullptr, lookup.get()); }),
              kWbemInvalidParameter);
    EXPECT_TRUE(lookup->Events().empty());

    const auto enumeration = NewSink();
    const HRESULT hr = AsClient(
        [&] { return fresh->CreateInstanceEnumAsync(nullptr, 0, nullptr, enumeration.get()); });
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(CompletionProblems(hr, *enumeration.get()), "");
    EXPECT_TRUE(enumeration->Objects().empty());
}

TEST_P(ProviderProtocolTest, AnEnumerationIndicatesEachInstanceAloneAndCompletesOnce) {
    const auto sink = NewSink();
    ASSERT_EQ(AsClient([&] {
                  return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get());
              }),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
    const std::vector<norvwmi::SinkEvent> events = sink->Events();
    ASSERT_GE(events.size(), 2u);
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, norvwmi::SinkEvent::Kind::Indicate);
        EXPECT_EQ(events[i].objects.size(), 1u) << "one object per Indicate";
    }
    EXPECT_EQ(events.back().flags, WBEM_STATUS_COMPLETE);
    EXPECT_EQ(events.back().result, WBEM_S_NO_ERROR);
    EXPECT_FALSE(events.back().object);
}

TEST_P(ProviderProtocolTest, AFailedIndicateEndsTheEnumerationAndIsItsResult) {
    const auto sink = NewSink();
    sink->FailIndicateWith(kCancelled);
    const HRESULT hr = AsClient(
        [&] { return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get()); });
    EXPECT_EQ(hr, kCancelled);
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, kCancelled);
    EXPECT_EQ(CompletionProblems(hr, *sink.get()), "");
}

TEST_P(ProviderProtocolTest, AFailedIndicateOfALookupStillCompletesIt) {
    const auto sink = NewSink();
    sink->FailIndicateWith(kCancelled);
    EXPECT_EQ(Get(ValidPath().c_str(), sink.get()), WBEM_S_NO_ERROR);
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, WBEM_S_NO_ERROR);
}

// Every method that runs the security prologue refuses a client that may not be
// impersonated, before it looks at anything else.
TEST_P(ProviderProtocolTest, AClientThatMayNotBeImpersonatedIsDenied) {
    const auto path = Bstr(ValidPath().c_str());
    const auto language = Bstr(L"WQL");
    const auto query = Bstr(L"SELECT * FROM ComputerSystem");
    const auto method = Bstr(GetParam().hasMethod ? L"ClearLog" : L"RequestStateChange");
    ComPtr<IWbemProviderInit> init;
    ASSERT_EQ(provider_.query(init), S_OK);
    const ComPtr<IWbemServices> nameSpace = wmi_->ProviderNamespace();
    IWbemServices* p = provider_.get();
    IWbemClassObject* instance = instance_.get();
    for (const norvwmi::ClientLevel level :
         {norvwmi::ClientLevel::Identify, norvwmi::ClientLevel::Anonymous}) {
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
             [&] { return p->CreateInstanceEnumAsync(nullptr, 0, nullptr, s); }},
            {"PutInstanceAsync", [&] { return p->PutInstanceAsync(instance, 0, nullptr, s); }},
            {"DeleteInstanceAsync", [&] { return p->DeleteInstanceAsync(path.get(), 0, nullptr, s); }},
            {"ExecQueryAsync",
             [&] { return p->ExecQueryAsync(language.get(), query.get(), 0, nullptr, s); }},
            {"ExecMethodAsync",
             [&] { return p->ExecMethodAsync(path.get(), method.get(), 0, nullptr, nullptr, s); }},
        };
        // Wine cannot open an anonymous token: that failure is then the answer.
        const HRESULT denied = level == norvwmi::ClientLevel::Identify
                                   ? kWbemAccessDenied
                                   : static_cast<HRESULT>(0x80070000u | ERROR_CANT_OPEN_ANONYMOUS);
        for (const auto& [name, call] : prologued) {
            EXPECT_EQ(AsClient(level, call), denied) << name;
        }
        EXPECT_TRUE(sink->Events().empty()) << "a denied request does not reach the sink";
    }
}

TEST_P(ProviderProtocolTest, OutsideAServerCallThePrologueRefusesTheRequest) {
    const auto sink = NewSink();
    const HRESULT hr = provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get());
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(hr, ::CoImpersonateClient()) << "the failure of impersonating is the answer";
    EXPECT_TRUE(sink->Events().empty());
}

TEST_P(ProviderProtocolTest, EveryRequestEndsWithoutImpersonating) {
    const std::wstring valid = ValidPath();
    for (const wchar_t* path : {valid.c_str(), L"Nothing.Name=\"x\""}) {
        norvwmi::ServerCallContext context(norvwmi::ClientLevel::Impersonate);
        ASSERT_EQ(context.Status(), S_OK);
        const auto sink = NewSink();
        const auto pathText = Bstr(path);
        provider_->GetObjectAsync(pathText.get(), 0, nullptr, sink.get());
        context.End();
        EXPECT_FALSE(context.LeftImpersonating());
    }
    norvwmi::ServerCallContext context(norvwmi::ClientLevel::Impersonate);
    const auto sink = NewSink();
    provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get());
    context.End();
    EXPECT_FALSE(context.LeftImpersonating());
}

TEST_P(ProviderProtocolTest, AnswersItsThreeInterfacesWithOneIdentity) {
    ComPtr<IUnknown> unknown;
    ComPtr<IWbemProviderInit> init;
    ComPtr<IProvideClassInfo> classInfo;
    ASSERT_EQ(provider_.query(unknown), S_OK);
    ASSERT_EQ(provider_.query(init), S_OK);
    ASSERT_EQ(provider_.query(classInfo), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(provider_.get()));
    ComPtr<IClassFactory> notOffered;
    EXPECT_EQ(provider_.query(notOffered), E_NOINTERFACE);
    ComPtr<IUnknown> back;
    ASSERT_EQ(classInfo.query(back), S_OK);
    EXPECT_EQ(back.get(), unknown.get());
    EXPECT_EQ(classInfo->GetClassInfo(nullptr), E_POINTER);
}

TEST_P(ProviderProtocolTest, TheProviderKeepsTheModuleLoadedWhileItLives) {
    instance_.reset();
    EXPECT_EQ(wmi_->CanUnloadNow(), S_FALSE);
    provider_.reset();
    EXPECT_EQ(wmi_->CanUnloadNow(), S_OK);
}

TEST_P(ProviderProtocolTest, EachRequestHoldsTheProvidersOwnLock) {
    // Another thread holds the provider's machine-wide mutex: the request waits for it.
    const std::string name = "Global\\wmi_" + std::string(IdentityOf(GetParam().providerClass).className);
    win::UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, name.c_str()));
    ASSERT_TRUE(mutex);
    win::UniqueHandle held(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    win::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        ::WaitForSingleObject(mutex.get(), INFINITE);
        ::SetEvent(held.get());
        ::WaitForSingleObject(release.get(), INFINITE);
        ::ReleaseMutex(mutex.get());
    });
    ASSERT_EQ(::WaitForSingleObject(held.get(), 10000), WAIT_OBJECT_0);
    std::atomic<bool> done{false};
    const auto sink = NewSink();
    HRESULT result = E_FAIL;
    std::thread request([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        result = AsClient(
            [&] { return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get()); });
        done = true;
        ::CoUninitialize();
    });
    ::Sleep(300);
    EXPECT_FALSE(done) << "the request ran without the provider's lock " << name;
    ::SetEvent(release.get());
    holder.join();
    request.join();
    EXPECT_EQ(result, WBEM_S_NO_ERROR);

    // Released at the end of every request, found or not.
    std::vector<PathKey> wrongKeys = keys_;
    wrongKeys[0].value += L"x";
    EXPECT_EQ(LookUp(PathOf(ClassName(), wrongKeys)), kWbemNotFound);
    EXPECT_EQ(::WaitForSingleObject(mutex.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ::ReleaseMutex(mutex.get());
}

INSTANTIATE_TEST_SUITE_P(Classes, ProviderProtocolTest, ::testing::ValuesIn(kServedClasses),
                         [](const auto& test) {
                             return std::string(IdentityOf(test.param.providerClass).className);
                         });

}  // namespace
}  // namespace norv::test
