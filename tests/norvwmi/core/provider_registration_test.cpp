// Finding the provider of a request as WMI does, in the shipped MOF (against the module's
// own table of class ids) and in registrations that are wrong in each way WMI notices.
#include "provider/provider_registration.h"

#include <gtest/gtest.h>

#include "host/provider_class_identity.h"
#include "platform/embedded_mof.h"
#include "platform/platform_loading.h"
#include "repository/mof_reader.h"
#include "repository/repository_class_source.h"

namespace norvwmi {
namespace {

using Status = ProviderLookupStatus;

const PlatformClassSource& Shipped() {
    static const Platform platform =
        std::get<Platform>(LoadPlatform(DefaultPlatformDescription(), "NORVHOST"));
    return *platform.classes;
}

TEST(ProviderRegistration, EachServedClassReachesTheModulesClassIdForEnumerationAndGet) {
    for (const norv::ProviderClassIdentity& identity : norv::kProviderClassIdentities) {
        SCOPED_TRACE(identity.servedClass);
        for (ProviderOperation operation : {ProviderOperation::Enumerate, ProviderOperation::Get}) {
            const ProviderLookup lookup =
                FindProvider(Shipped(), kServedNamespace, identity.servedClass, operation);
            ASSERT_EQ(lookup.status, Status::Found) << lookup.detail;
            EXPECT_EQ(lookup.providerName, identity.className);
            EXPECT_EQ(lookup.clsid, identity.clsid);
            EXPECT_EQ(lookup.className, identity.servedClass);
        }
    }
    EXPECT_EQ(
        FindProvider(Shipped(), kServedNamespace, "numericsensor", ProviderOperation::Enumerate)
            .className,
        "NumericSensor");
}

TEST(ProviderRegistration, MethodCallsNeedAnImplementedMethodAndAMethodRegistration) {
    const ProviderLookup clearLog = FindProvider(Shipped(), kServedNamespace, "RecordLog",
                                                 ProviderOperation::ExecMethod, "clearlog");
    ASSERT_EQ(clearLog.status, Status::Found) << clearLog.detail;
    EXPECT_EQ(clearLog.providerName, "NorvRecordLogProv");
    EXPECT_EQ(FindProvider(Shipped(), kServedNamespace, "RecordLog", ProviderOperation::ExecMethod,
                           "RequestStateChange")
                  .status,
              Status::MethodNotImplemented);
    EXPECT_EQ(FindProvider(Shipped(), kServedNamespace, "RecordLog", ProviderOperation::ExecMethod,
                           "Erase")
                  .status,
              Status::NoMethod);
    EXPECT_EQ(
        FindProvider(Shipped(), kServedNamespace, "Sensor", ProviderOperation::ExecMethod, "Reset")
            .status,
        Status::MethodNotImplemented);
}

TEST(ProviderRegistration, UnknownAndAbsentClassesHaveNoProvider) {
    EXPECT_EQ(FindProvider(Shipped(), kServedNamespace, "Fan", ProviderOperation::Enumerate).status,
              Status::NoClass);
    EXPECT_EQ(FindProvider(Shipped(), "root\\wmi", "Sensor", ProviderOperation::Enumerate).status,
              Status::NoClass);
    // A class without a provider qualifier is served from the repository.
    EXPECT_EQ(FindProvider(Shipped(), "root\\wmi", "TempSensorInfo", ProviderOperation::Get).status,
              Status::StaticClass);
}

// Classes of root\test, each registered wrongly in one way.
constexpr std::string_view kRegistrations = R"(
#pragma namespace("root\\test")
instance of __Win32Provider as $Good
    { Name = "GoodProv"; CLSID = "{11111111-2222-3333-4444-555555555555}"; };
instance of __InstanceProviderRegistration
    { Provider = $Good; SupportsGet = TRUE; SupportsEnumeration = FALSE; };
instance of __Win32Provider as $Bare
    { Name = "BareProv"; CLSID = "{11111111-2222-3333-4444-666666666666}"; };
instance of __Win32Provider as $Nameless { Name = "NoClsidProv"; };
instance of __InstanceProviderRegistration
    { Provider = $Nameless; SupportsGet = TRUE; SupportsEnumeration = TRUE; };
[dynamic, provider("GoodProv")] class GetOnly { [key] string Id; [Implemented] uint32 Run(); };
[dynamic, provider("BareProv")] class Unregistered { [key] string Id; };
[dynamic, provider("MissingProv")] class Orphan { [key] string Id; };
[dynamic, provider("NoClsidProv")] class NoClsid { [key] string Id; };
class Plain { [key] string Id; [Implemented] uint32 Run(); };
)";

const ClassSource& Registrations() {
    static const RepositoryClassSource source = [] {
        Repository repository;
        const MofReadResult system =
            ReadMof(EmbeddedMofText(kSystemMofName).value(), kSystemMofName);
        EXPECT_FALSE(system.error);
        EXPECT_FALSE(repository.AddSystemClasses(system.document));
        const auto error = repository.AddMof(kRegistrations, "registrations.mof");
        EXPECT_FALSE(error) << FormatMofError(*error);
        return RepositoryClassSource(std::move(repository));
    }();
    return source;
}

TEST(ProviderRegistration, WrongRegistrationsGiveWmisStatuses) {
    struct Row {
        const char* className;
        ProviderOperation operation;
        Status expected;
    };
    constexpr Row rows[] = {
        {"GetOnly", ProviderOperation::Get, Status::Found},
        {"GetOnly", ProviderOperation::Enumerate, Status::NotCapable},
        {"GetOnly", ProviderOperation::ExecMethod, Status::NotCapable},  // no method registration
        {"Unregistered", ProviderOperation::Get, Status::NotCapable},
        {"Orphan", ProviderOperation::Enumerate, Status::ProviderNotFound},
        {"NoClsid", ProviderOperation::Enumerate, Status::InvalidRegistration},
        {"Plain", ProviderOperation::Enumerate, Status::StaticClass},
        {"Plain", ProviderOperation::ExecMethod, Status::NotCapable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.className);
        const ProviderLookup lookup =
            FindProvider(Registrations(), "root\\test", row.className, row.operation, "Run");
        EXPECT_EQ(lookup.status, row.expected) << lookup.detail;
        EXPECT_EQ(lookup.status == Status::Found, !lookup.clsid.empty());
        if (row.expected != Status::Found) {
            EXPECT_FALSE(lookup.detail.empty());
        }
    }
    EXPECT_EQ(FindProvider(Registrations(), "root\\test", "GetOnly", ProviderOperation::Get).clsid,
              "{11111111-2222-3333-4444-555555555555}");
}

}  // namespace
}  // namespace norvwmi
