// A provider request as the host makes it, with a provider of the test's own (written as the
// sample providers are): what the host holds against the provider.
#include "provider/provider_call.h"

#include <gtest/gtest.h>

#include "sample_providers/sample_server.h"
#include "test_namespace.h"

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

TEST(ProviderCall, AThreadLeftImpersonatingIsAFaultOfTheModuleAndAWarningOfAnother) {
    sample::Factory<ForgetfulProvider> factory;
    const std::vector<std::string> left{
        "CreateInstanceEnumAsync returned with the thread still impersonating the client"};
    for (const bool fault : {true, false}) {
        ProviderHost host;
        host.served = testing::MakeTestNamespace();
        host.nameSpace = "root\\test";
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
