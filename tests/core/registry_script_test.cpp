#include "host/registry_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/class_registry_script.h"
#include "host/provider_class_identity.h"

namespace norv {
namespace {

using Ops = std::vector<RegistryOperation>;
constexpr auto kCreate = RegistryAction::CreateKey;
constexpr auto kDeleteTree = RegistryAction::DeleteTree;
constexpr auto kDeleteKey = RegistryAction::DeleteKey;
constexpr auto kSet = RegistryAction::SetValue;
constexpr auto kDeleteValue = RegistryAction::DeleteValue;

const Replacements kSample = {
    {"Module", "C:\\Program Files\\100%\\x.dll"},
    {"APPID", ""},
    {"Owner", "Norv"},
};

TEST(ExpandReplacements, SubstitutesNamedVariables) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"plain text", "plain text"},
        {"%Owner%", "Norv"},
        {"%OWNER%.%owner%", "Norv.Norv"},  // the registrar ignores case in names
        {"[%APPID%]", "[]"},
        {"100%% sure", "100% sure"},
        // A value is not expanded again, even when it holds a percent sign.
        {"%Module%", "C:\\Program Files\\100%\\x.dll"},
        {"", ""},
    };
    for (const Case& c : cases) {
        const auto expanded = ExpandReplacements(c.text, kSample);
        ASSERT_TRUE(expanded.has_value()) << c.text;
        EXPECT_EQ(*expanded, c.expected) << c.text;
    }
}

TEST(ExpandReplacements, RejectsUnknownNamesAndOpenPercentSigns) {
    for (const char* text : {"%Unknown%", "a %Owner", "50%", "%Own er%"}) {
        EXPECT_FALSE(ExpandReplacements(text, kSample).has_value()) << text;
    }
}

// NoRemove Root
// {
//     ForceRemove Owned = s '%Owner%' { val Flag = s 'on'  Child }
//     Plain
// }
constexpr RegistryNode kOwnedBlock[] = {StringValue("Flag", "on"), Key("Child", std::nullopt)};
constexpr RegistryNode kRootBlock[] = {
    ForceRemoveKey("Owned", "%Owner%", kOwnedBlock),
    Key("Plain", std::nullopt),
};
constexpr RegistryNode kSmallScript[] = {NoRemoveKey("Root", kRootBlock)};

TEST(PlanRegistryOperations, RegisteringRebuildsForceRemoveKeysAndWritesValuesInOrder) {
    const Ops expected = {
        {kCreate, "Root", "", ""},           {kDeleteTree, "Root\\Owned", "", ""},
        {kCreate, "Root\\Owned", "", ""},    {kSet, "Root\\Owned", "", "Norv"},
        {kSet, "Root\\Owned", "Flag", "on"}, {kCreate, "Root\\Owned\\Child", "", ""},
        {kCreate, "Root\\Plain", "", ""},
    };
    EXPECT_EQ(PlanRegistryOperations(kSmallScript, RegistryMode::Register, kSample), expected);
}

TEST(PlanRegistryOperations, UnregisteringDeletesKeysAfterTheirBlockAndKeepsNoRemoveKeys) {
    const Ops expected = {
        {kDeleteValue, "Root\\Owned", "Flag", ""},
        {kDeleteKey, "Root\\Owned\\Child", "", ""},
        {kDeleteTree, "Root\\Owned", "", ""},
        {kDeleteKey, "Root\\Plain", "", ""},
    };
    EXPECT_EQ(PlanRegistryOperations(kSmallScript, RegistryMode::Unregister, kSample), expected);
}

constexpr RegistryNode kBadName[] = {Key("%Missing%", std::nullopt)};
constexpr RegistryNode kBadChildBlock[] = {StringValue("v", "%Missing%")};
constexpr RegistryNode kBadChild[] = {Key("Fine", "ok", kBadChildBlock)};

TEST(PlanRegistryOperations, FailsWhenAnyNameOrTextCannotBeExpanded) {
    for (const auto mode : {RegistryMode::Register, RegistryMode::Unregister}) {
        EXPECT_FALSE(PlanRegistryOperations(kBadName, mode, kSample).has_value());
        EXPECT_FALSE(PlanRegistryOperations(kBadChild, mode, kSample).has_value());
    }
}

constexpr std::string_view kModulePath = "C:\\Program Files\\Norv\\Norvipmiprv.dll";

TEST(ModuleReplacements, NameTheModuleItsServerKindTheLibraryAndAnEmptyAppId) {
    const Replacements dll = ModuleReplacements(kModulePath, false);
    const auto value = [](const Replacements& set, std::string_view name) {
        return ExpandReplacements("%" + std::string(name) + "%", set).value_or("<unknown>");
    };
    EXPECT_EQ(value(dll, "Module"), kModulePath);
    EXPECT_EQ(value(dll, "Module_Raw"), kModulePath);
    EXPECT_EQ(value(dll, "MODULEGUID"), "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27}");
    EXPECT_EQ(value(dll, "MODULETYPE"), "InprocServer32");
    EXPECT_EQ(value(dll, "APPID"), "");
    EXPECT_EQ(value(ModuleReplacements("C:\\host.exe", true), "MODULETYPE"), "LocalServer32");
}

TEST(ClassRegistryScript, RegistersTheProgIdsAndTheClassIdSubtree) {
    const std::string clsid = "{FB384222-502F-4A15-AE24-AAA8C860753E}";
    const std::string clsidKey = "CLSID\\" + clsid;
    const std::string friendly = "CNorvComputerSystemProv Object";
    const Ops expected = {
        {kCreate, "Norvipmiprv.NorvComputerSystemProv.1", "", ""},
        {kSet, "Norvipmiprv.NorvComputerSystemProv.1", "", friendly},
        {kCreate, "Norvipmiprv.NorvComputerSystemProv.1\\CLSID", "", ""},
        {kSet, "Norvipmiprv.NorvComputerSystemProv.1\\CLSID", "", clsid},
        {kCreate, "Norvipmiprv.NorvComputerSystemProv", "", ""},
        {kSet, "Norvipmiprv.NorvComputerSystemProv", "", friendly},
        {kCreate, "Norvipmiprv.NorvComputerSystemProv\\CLSID", "", ""},
        {kSet, "Norvipmiprv.NorvComputerSystemProv\\CLSID", "", clsid},
        {kCreate, "Norvipmiprv.NorvComputerSystemProv\\CurVer", "", ""},
        {kSet, "Norvipmiprv.NorvComputerSystemProv\\CurVer", "",
         "Norvipmiprv.NorvComputerSystemProv.1"},
        {kCreate, "CLSID", "", ""},
        {kDeleteTree, clsidKey, "", ""},
        {kCreate, clsidKey, "", ""},
        {kSet, clsidKey, "", friendly},
        {kCreate, clsidKey + "\\ProgID", "", ""},
        {kSet, clsidKey + "\\ProgID", "", "Norvipmiprv.NorvComputerSystemProv.1"},
        {kCreate, clsidKey + "\\VersionIndependentProgID", "", ""},
        {kSet, clsidKey + "\\VersionIndependentProgID", "", "Norvipmiprv.NorvComputerSystemProv"},
        {kDeleteTree, clsidKey + "\\Programmable", "", ""},
        {kCreate, clsidKey + "\\Programmable", "", ""},
        {kCreate, clsidKey + "\\InprocServer32", "", ""},
        {kSet, clsidKey + "\\InprocServer32", "", std::string(kModulePath)},
        {kSet, clsidKey + "\\InprocServer32", "ThreadingModel", "both"},
        {kSet, clsidKey, "AppID", ""},
        {kCreate, clsidKey + "\\TypeLib", "", ""},
        {kSet, clsidKey + "\\TypeLib", "", "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27}"},
    };
    EXPECT_EQ(PlanClassRegistry(IdentityOf(ProviderClass::ComputerSystem), kModulePath, false,
                                RegistryMode::Register),
              expected);
}

TEST(ClassRegistryScript, UnregisteringRemovesEverythingButTheClsidRoot) {
    const std::string clsidKey = "CLSID\\{FB384222-502F-4A15-AE24-AAA8C860753E}";
    const Ops expected = {
        {kDeleteKey, "Norvipmiprv.NorvComputerSystemProv.1\\CLSID", "", ""},
        {kDeleteKey, "Norvipmiprv.NorvComputerSystemProv.1", "", ""},
        {kDeleteKey, "Norvipmiprv.NorvComputerSystemProv\\CLSID", "", ""},
        {kDeleteKey, "Norvipmiprv.NorvComputerSystemProv\\CurVer", "", ""},
        {kDeleteKey, "Norvipmiprv.NorvComputerSystemProv", "", ""},
        {kDeleteKey, clsidKey + "\\ProgID", "", ""},
        {kDeleteKey, clsidKey + "\\VersionIndependentProgID", "", ""},
        {kDeleteTree, clsidKey + "\\Programmable", "", ""},
        {kDeleteValue, clsidKey + "\\InprocServer32", "ThreadingModel", ""},
        {kDeleteKey, clsidKey + "\\InprocServer32", "", ""},
        {kDeleteValue, clsidKey, "AppID", ""},
        {kDeleteKey, clsidKey + "\\TypeLib", "", ""},
        {kDeleteTree, clsidKey, "", ""},
    };
    EXPECT_EQ(PlanClassRegistry(IdentityOf(ProviderClass::ComputerSystem), kModulePath, false,
                                RegistryMode::Unregister),
              expected);
}

TEST(ClassRegistryScript, EveryClassPointsItsVersionIndependentProgIdAtItsProgId) {
    struct Case {
        ProviderClass providerClass;
        const char* versionIndependentProgId;
    };
    const Case cases[] = {
        {ProviderClass::LogRecord, "Norvipmiprv.LogRecord"},
        {ProviderClass::RecordLog, "Norvipmiprv.RecordLog"},
        {ProviderClass::SystemSpecificCollection, "Norvipmiprv.NorvSystemSpecificCollection"},
        {ProviderClass::NumericSensor, "Norvipmiprv.NumericSensor"},
        {ProviderClass::Sensor, "Norvipmiprv.Sensor"},
        {ProviderClass::ComputerSystem, "Norvipmiprv.NorvComputerSystemProv"},
        {ProviderClass::AdminDomain, "Norvipmiprv.NorvAdminDomainProv"},
    };
    for (const Case& c : cases) {
        const ProviderClassIdentity& identity = IdentityOf(c.providerClass);
        const auto ops = PlanClassRegistry(identity, kModulePath, false, RegistryMode::Register);
        ASSERT_TRUE(ops.has_value()) << identity.className;
        const RegistryOperation curVer = {kSet,
                                          std::string(c.versionIndependentProgId) + "\\CurVer", "",
                                          std::string(identity.progId)};
        EXPECT_NE(std::ranges::find(*ops, curVer), ops->end()) << identity.className;
        const RegistryOperation viProgIdInClass = {
            kSet, "CLSID\\" + std::string(identity.clsid) + "\\VersionIndependentProgID", "",
            c.versionIndependentProgId};
        EXPECT_NE(std::ranges::find(*ops, viProgIdInClass), ops->end()) << identity.className;
    }
}

}  // namespace
}  // namespace norv
