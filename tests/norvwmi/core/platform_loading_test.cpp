// Loading the host's platform: the default and driver-absent descriptions serve what they
// describe, the directives change what the namespaces serve, a malformed description stops with its
// file, line and reason; and the provider each request reaches.
#include "simulated_driver/platform_loading.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "provider/event_provider_registration.h"
#include "provider/provider_registration.h"
#include "repository/query_evaluation.h"
#include "repository/repository_class_source.h"
#include "support/test_files.h"

namespace norvwmi {
namespace {

using norv::test::ReadCaseFile;

// The golden outputs show what the shipped descriptions serve; these are the directives'
// own rules.
TEST(PlatformLoading, DirectivesStallOrRemoveTheNamedClassAndNoOther) {
    auto loaded =
        LoadPlatform(MofFile{"directives.mof", ReadCaseFile("directives.mof")}, "NORVHOST");
    ASSERT_TRUE(std::holds_alternative<Platform>(loaded))
        << FormatMofError(std::get<MofError>(loaded));
    const Platform& platform = std::get<Platform>(loaded);
    ASSERT_TRUE(platform.served);
    EXPECT_EQ(platform.served->ServerName(), "NORVHOST");
    EXPECT_EQ(platform.served->StallAfter("root\\wmi", "TempSensorInfo"), 2u);
    EXPECT_EQ(platform.served->StallAfter("root\\wmi", "ASRInfo"), std::nullopt);
    EXPECT_EQ(RunWqlSelect(*platform.served, "root\\wmi", "SELECT * FROM FanInfo", {}).status,
              RequestStatus::InvalidClass);
    EXPECT_EQ(LookupObject(*platform.served, "root\\wmi", "faninfo").status,
              RequestStatus::NotFound);
    // Declared all the same: the MOF of the health driver is the host's.
    EXPECT_NE(platform.classes->Declared().FindClass("root\\wmi", "FanInfo"), nullptr);
    EXPECT_EQ(RunWqlSelect(*platform.served, "root\\wmi", "SELECT * FROM TempSensorInfo", {})
                  .objects.size(),
              3u);
}

// A refused description stops with its file, line and reason; the descriptions of the class,
// log and timed directives that are refused are in tests/data/norvwmi/description_faults.txt.
TEST(PlatformLoading, RefusedDescriptionsStopWithFileLineAndReason) {
    norv::test::ExpectCases("description_faults.txt", [](const std::string& input) {
        constexpr std::string_view kPerturb = "--perturb 5";
        const bool perturbed = input.rfind(kPerturb, 0) == 0;
        const auto loaded =
            LoadPlatform(MofFile{"case.mof", input.substr(perturbed ? kPerturb.size() : 0)},
                         "NORVHOST", perturbed ? std::optional<std::uint64_t>(5) : std::nullopt);
        const auto* error = std::get_if<MofError>(&loaded);
        return error ? FormatMofError(*error) : std::string("loaded");
    });
}

// Another provider's MOF files are served instead of the module's: the namespaces they declare
// classes in, in the order first seen; a namespace that only gets an instance serves nothing.
TEST(PlatformLoading, ServesTheNamespacesTheServedMofsDeclareClassesIn) {
    const std::vector<MofFile> mofs{
        {"one.mof",
         "#pragma namespace(\"root\")\ninstance of __Namespace { Name = \"other\"; };\n"
         "#pragma namespace(\"root\\\\other\")\nclass Zed { [key] string K; };\n"
         "#pragma namespace(\"root\\\\third\")\nclass Mine { [key] string K; };\n"},
        {"two.mof", "#pragma namespace(\"root\\\\OTHER\")\nclass Alpha { [key] string K; };\n"}};
    const auto loaded = LoadPlatform(DefaultPlatformDescription(), "NORVHOST", {}, mofs);
    ASSERT_TRUE(std::holds_alternative<Platform>(loaded));
    const Platform& platform = std::get<Platform>(loaded);
    EXPECT_EQ(platform.servedNamespaces, (std::vector<std::string>{"root\\other", "root\\third"}));
    EXPECT_EQ(ServedClassNames(platform), (std::vector<std::string>{"Zed", "Alpha", "Mine"}));
    EXPECT_EQ(ServedNamespaceOf(platform, "MINE"), "root\\third");
    EXPECT_EQ(ServedNamespaceOf(platform, "Sensor"), "root\\other");
    // The module's own MOF is not read beside them.
    EXPECT_EQ(platform.classes->Declared().FindClass("root\\cimv2\\ipmi", "Sensor"), nullptr);

    const auto empty = LoadPlatform(DefaultPlatformDescription(), "NORVHOST", {},
                                    {MofFile{"empty.mof", "// nothing\n"}});
    ASSERT_TRUE(std::holds_alternative<MofError>(empty));
    EXPECT_EQ(FormatMofError(std::get<MofError>(empty)),
              "empty.mof:1: a served MOF file declares no class");
}

// Finding the provider of a request as WMI does, in the shipped MOF and in registrations that
// are wrong in each way WMI notices. That the shipped class ids are the module's own, every
// golden output shows: the host creates each provider by the class id the MOF names.
using Status = ProviderLookupStatus;

const PlatformClassSource& Shipped() {
    static const Platform platform =
        std::get<Platform>(LoadPlatform(DefaultPlatformDescription(), "NORVHOST"));
    return *platform.classes;
}

const ClassSource& Registrations() {
    static const RepositoryClassSource source(testing::TestRepository("registrations.mof", true));
    return source;
}

constexpr std::string_view kLookupStatuses[] = {"Found",
                                                "StaticClass",
                                                "NoClass",
                                                "NoMethod",
                                                "MethodNotImplemented",
                                                "ProviderNotFound",
                                                "InvalidRegistration",
                                                "NotCapable"};

std::string Described(const ProviderLookup& lookup) {
    const std::string status(kLookupStatuses[static_cast<int>(lookup.status)]);
    if (lookup.status != Status::Found) return status + ": " + lookup.detail;
    return status + " " + lookup.className + " " + lookup.providerName + " " + lookup.clsid;
}

// The lookups, of instance and method providers and of event providers, are
// tests/data/norvwmi/provider_lookups.txt.
TEST(ProviderRegistration, LookupsGiveWmisStatuses) {
    norv::test::ExpectCases("provider_lookups.txt", [](const std::string& input) {
        std::istringstream words(input);
        std::string source, operation, nameSpace, className, method;
        words >> source >> operation >> nameSpace;
        const ClassSource& classes = source == "shipped" ? Shipped() : Registrations();
        if (operation == "watch") {
            std::string query;
            std::getline(words >> std::ws, query);
            const auto parsed = ParseEventQuery(query);
            if (!parsed) return std::string("not an event query");
            std::string providers;
            for (const ProviderLookup& lookup : FindEventProviders(classes, nameSpace, *parsed))
                providers += (providers.empty() ? "" : " and ") + Described(lookup);
            return providers;
        }
        if (operation == "getclass" || operation == "classes")
            return Described(FindClassProvider(classes, nameSpace,
                                               operation == "classes"
                                                   ? ProviderOperation::EnumerateClasses
                                                   : ProviderOperation::Get));
        words >> className;
        if (const std::size_t dot = className.find('.'); dot != std::string::npos) {
            method = className.substr(dot + 1);
            className.resize(dot);
        }
        return Described(FindProvider(classes, nameSpace, className,
                                      operation == "get"    ? ProviderOperation::Get
                                      : operation == "exec" ? ProviderOperation::ExecMethod
                                                            : ProviderOperation::Enumerate,
                                      method));
    });
}

}  // namespace
}  // namespace norvwmi
