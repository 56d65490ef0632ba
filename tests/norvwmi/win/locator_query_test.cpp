// The norvwmi query command's road through the administrative locator registered in this
// process: results in batches, failures named by the step that reported them, a stalled
// class timing out with what arrived.
#include "program/locator_query.h"

#include <gtest/gtest.h>

#include "com/admin_locator.h"
#include "com/wbem_status.h"
#include "test_namespace.h"

namespace norvwmi {
namespace {

class LocatorQuery : public ::testing::Test {
protected:
    void SetUp() override {
        served_ = testing::MakeTestNamespace();
        ASSERT_EQ(RegisterAdminLocator(served_, registration_), S_OK);
    }

    std::shared_ptr<ServedNamespaces> served_;
    FactoryRegistration registration_;
};

TEST_F(LocatorQuery, FailuresNameTheirStep) {
    const LocatorQueryOutcome unknownClass = RunLocatorQuery("root\\test", "SELECT * FROM Nothing");
    EXPECT_EQ(unknownClass.status, Wbem(WBEM_E_INVALID_CLASS));
    EXPECT_EQ(unknownClass.step, "IEnumWbemClassObject::Next");
    const LocatorQueryOutcome badQuery = RunLocatorQuery("root\\test", "SELECT FROM Numbered");
    EXPECT_EQ(badQuery.status, Wbem(WBEM_E_INVALID_QUERY));
    const LocatorQueryOutcome unknownNamespace =
        RunLocatorQuery("root\\nothing", "SELECT * FROM A");
    EXPECT_EQ(unknownNamespace.status, Wbem(WBEM_E_INVALID_NAMESPACE));
    EXPECT_EQ(unknownNamespace.step, "ConnectServer");
    EXPECT_TRUE(unknownNamespace.objects.empty());
}

}  // namespace
}  // namespace norvwmi
