// A provider request as the host makes it, with a provider of the test's own (written as the
// sample providers are): what the host holds against the provider.
#include "provider/provider_call.h"

#include <gtest/gtest.h>

#include "sample_providers/sample_server.h"
#include "test_namespace.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

// Impersonates the client for its enumeration and leaves reverting to COM.
class ForgetfulProvider : public sample::ProviderBase {
public:
    STDMETHODIMP CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*,
                                         IWbemObjectSink* sink) override {
        CoImpersonateClient();
        sink->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    }
};

// Hands back the in-parameters it is given, so that the test sees them.
class EchoingMethodProvider : public sample::ProviderBase {
public:
    STDMETHODIMP ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                 IWbemClassObject* inParameters, IWbemObjectSink* sink) override {
        if (inParameters) sink->Indicate(1, &inParameters);
        sink->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    }
};

ProviderHost TestHost() {
    ProviderHost host;
    host.served = testing::MakeTestNamespace();
    host.nameSpace = "root\\test";
    return host;
}

// The client's in-parameters object and the program's NAME=VALUE words go through one
// function: a value given is put, a null one or none keeps the declared default
// (Rename's Times = 1), a word given goes over the object.
TEST(ProviderCall, InParametersTakeTheClientsValuesOverTheDeclaredDefaults) {
    using testing::Variant;
    struct Case {
        const char* what;
        const wchar_t* newName;  // put in the client's object, null: not put
        Variant times;           // put in the client's object when not empty
        std::vector<MethodArgument> words;
        const wchar_t* wantName;
        std::int64_t wantTimes;
    };
    Case cases[] = {
        {"the object's values", L"b", Variant::Number(VT_I4, 3), {}, L"b", 3},
        {"a null value keeps the default", L"c", Variant::Null(), {}, L"c", 1},
        {"a value not set keeps it", L"d", Variant(), {}, L"d", 1},
        {"a word goes over the object", L"e", Variant::Number(VT_I4, 4),
         {{"Times", CimType::UInt32, CimValue{std::uint64_t{5}}}}, L"e", 5},
    };
    sample::Factory<EchoingMethodProvider> factory;
    const ProviderHost host = TestHost();
    norv::win::ComPtr<IWbemClassObject> logClass = testing::TestClass("RecordLog");
    norv::win::ComPtr<IWbemClassObject> signature;
    ASSERT_EQ(logClass->GetMethod(L"Rename", 0, signature.put(), nullptr), WBEM_S_NO_ERROR);
    for (Case& c : cases) {
        norv::win::ComPtr<IWbemClassObject> client;
        ASSERT_EQ(signature->SpawnInstance(0, client.put()), WBEM_S_NO_ERROR);
        Variant name = Variant::Text(c.newName);
        ASSERT_EQ(client->Put(L"NewName", 0, name.get(), 0), WBEM_S_NO_ERROR);
        if (c.times.type() != VT_EMPTY) {
            ASSERT_EQ(client->Put(L"Times", 0, c.times.get(), 0), WBEM_S_NO_ERROR);
        }
        ProviderRequest request;
        request.operation = ProviderOperation::ExecMethod;
        request.target = "RecordLog.InstanceID=\"x\"";
        request.method = "Rename";
        request.clientInParameters = client;
        request.inParameters = c.words;
        const ProviderOutcome outcome = CallProvider(&factory, host, request);
        ASSERT_EQ(outcome.status, WBEM_S_NO_ERROR) << c.what;
        ASSERT_EQ(outcome.objects.size(), 1u) << c.what;
        Variant gotName, gotTimes;
        outcome.objects.front()->Get(L"NewName", 0, gotName.get(), nullptr, nullptr);
        outcome.objects.front()->Get(L"Times", 0, gotTimes.get(), nullptr, nullptr);
        EXPECT_EQ(testing::TextOf(*gotName), c.wantName) << c.what;
        EXPECT_EQ(testing::NumberOf(*gotTimes), c.wantTimes) << c.what;
        EXPECT_NE(outcome.objects.front().get(), client.get()) << c.what;
    }
}

TEST(ProviderCall, AThreadLeftImpersonatingIsAFaultOfTheModuleAndAWarningOfAnother) {
    sample::Factory<ForgetfulProvider> factory;
    const std::vector<std::string> left{
        "CreateInstanceEnumAsync returned with the thread still impersonating the client"};
    for (const bool fault : {true, false}) {
        ProviderHost host = TestHost();
        host.leftImpersonatingIsFault = fault;
        ProviderRequest request;
        request.target = "Base";
        const ProviderOutcome outcome = CallProvider(&factory, host, request);
        EXPECT_EQ(outcome.status, WBEM_S_NO_ERROR);
        EXPECT_EQ(outcome.problems, fault ? left : std::vector<std::string>{}) << fault;
        EXPECT_EQ(outcome.warnings, fault ? std::vector<std::string>{} : left) << fault;
    }
}

}  // namespace
}  // namespace norvwmi
