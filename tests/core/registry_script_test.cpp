#include "host/registry_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "golden_text.h"
#include "host/class_registry_script.h"
#include "host/guid_text.h"
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
    {"Module", "C:\\Program Files\\100%\\x.dll"}, {"APPID", ""}, {"Owner", "Norv"}};

TEST(RegistrarCases, AsReviewed) {
    test::ExpectCases("registrar_cases.txt", [](const std::string& input) {
        const std::string text = input.substr(input.find(' ') + 1);
        if (input.starts_with("expand ")) return ExpandReplacements(text, kSample).value_or("none");
        const auto guid = ParseGuidText(text);
        if (!guid) return std::string("none");
        char fields[64];
        std::snprintf(fields, sizeof fields, "%08X %04X %04X", unsigned{guid->data1},
                      unsigned{guid->data2}, unsigned{guid->data3});
        std::string answer = fields;
        for (const std::uint8_t byte : guid->data4) {
            std::snprintf(fields, sizeof fields, " %02X", unsigned{byte});
            answer += fields;
        }
        return answer;
    });
    EXPECT_EQ(ExpandReplacements("", kSample), "");
}

// NoRemove Root { ForceRemove Owned = s '%Owner%' { val Flag = s 'on'  Child }  Plain }
constexpr RegistryNode kOwnedBlock[] = {StringValue("Flag", "on"), Key("Child", std::nullopt)};
constexpr RegistryNode kRootBlock[] = {ForceRemoveKey("Owned", "%Owner%", kOwnedBlock),
                                       Key("Plain", std::nullopt)};
constexpr RegistryNode kSmallScript[] = {NoRemoveKey("Root", kRootBlock)};
constexpr RegistryNode kBadName[] = {Key("%Missing%", std::nullopt)};
constexpr RegistryNode kBadChildBlock[] = {StringValue("v", "%Missing%")};
constexpr RegistryNode kBadChild[] = {Key("Fine", "ok", kBadChildBlock)};

TEST(PlanRegistryOperations, RegisterRebuildsForceRemoveKeysUnregisterKeepsNoRemoveKeys) {
    EXPECT_EQ(PlanRegistryOperations(kSmallScript, RegistryMode::Register, kSample),
              (Ops{{kCreate, "Root", "", ""},
                   {kDeleteTree, "Root\\Owned", "", ""},
                   {kCreate, "Root\\Owned", "", ""},
                   {kSet, "Root\\Owned", "", "Norv"},
                   {kSet, "Root\\Owned", "Flag", "on"},
                   {kCreate, "Root\\Owned\\Child", "", ""},
                   {kCreate, "Root\\Plain", "", ""}}));
    // Keys are deleted after their block.
    EXPECT_EQ(PlanRegistryOperations(kSmallScript, RegistryMode::Unregister, kSample),
              (Ops{{kDeleteValue, "Root\\Owned", "Flag", ""},
                   {kDeleteKey, "Root\\Owned\\Child", "", ""},
                   {kDeleteTree, "Root\\Owned", "", ""},
                   {kDeleteKey, "Root\\Plain", "", ""}}));
    for (const auto mode : {RegistryMode::Register, RegistryMode::Unregister}) {
        EXPECT_FALSE(PlanRegistryOperations(kBadName, mode, kSample).has_value());
        EXPECT_FALSE(PlanRegistryOperations(kBadChild, mode, kSample).has_value());
    }
}

constexpr std::string_view kModulePath = "C:\\Program Files\\Norv\\Norvipmiprv.dll";

TEST(ModuleReplacements, NameTheModuleItsServerKindTheLibraryAndAnEmptyAppId) {
    const auto value = [](const Replacements& set, std::string name) {
        return ExpandReplacements("%" + name + "%", set).value_or("<unknown>");
    };
    const Replacements dll = ModuleReplacements(kModulePath, false);
    EXPECT_EQ(value(dll, "Module"), kModulePath);
    EXPECT_EQ(value(dll, "Module_Raw"), kModulePath);
    EXPECT_EQ(value(dll, "MODULEGUID"), "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27}");
    EXPECT_EQ(value(dll, "MODULETYPE"), "InprocServer32");
    EXPECT_EQ(value(dll, "APPID"), "");
    EXPECT_EQ(value(ModuleReplacements("C:\\host.exe", true), "MODULETYPE"), "LocalServer32");
}

// Every class's registration and removal, operation by operation, as a reviewed file
// (tests/data/core/class_registry.txt); the tree itself is read back from a real registry
// by the Windows tests.
TEST(ClassRegistryScript, EveryClassAsReviewed) {
    constexpr const char* kActions[] = {"create", "delete tree", "delete key", "set",
                                        "delete value"};
    std::string text;
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        for (const auto mode : {RegistryMode::Register, RegistryMode::Unregister}) {
            text += (mode == RegistryMode::Register ? "register " : "unregister ") +
                    std::string(identity.className) + "\n";
            const auto ops = PlanClassRegistry(identity, kModulePath, false, mode);
            ASSERT_TRUE(ops.has_value());
            for (const RegistryOperation& op : *ops) {
                text += std::string("  ") + kActions[static_cast<int>(op.action)] + " " +
                        op.keyPath + (op.valueName.empty() ? "" : " [" + op.valueName + "]") +
                        (op.action == kSet ? " = " + op.data : "") + "\n";
            }
        }
    }
    test::ExpectGolden("class_registry.txt", text);
}

TEST(ProviderClassIdentities, FollowTheNamingRulesAreDistinctAndIndexedByTheirClass) {
    std::set<std::string_view> clsids, progIds, served;
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        const std::string className(identity.className);
        EXPECT_EQ(identity.coclassName, "C" + className);
        EXPECT_EQ(identity.friendlyName, "C" + className + " Object");
        EXPECT_TRUE(identity.progId.starts_with("Norvipmiprv.")) << identity.progId;
        clsids.insert(identity.clsid);
        progIds.insert(identity.progId);
        progIds.insert(VersionIndependentProgId(identity.progId));
        served.insert(identity.servedClass);
    }
    EXPECT_EQ(clsids.size(), kProviderClassCount);
    EXPECT_EQ(progIds.size(), 2 * kProviderClassCount);
    EXPECT_EQ(served.size(), kProviderClassCount);
    const std::pair<ProviderClass, std::string_view> indexed[] = {
        {ProviderClass::LogRecord, "LogRecord"},
        {ProviderClass::RecordLog, "RecordLog"},
        {ProviderClass::SystemSpecificCollection, "SystemSpecificCollection"},
        {ProviderClass::NumericSensor, "NumericSensor"},
        {ProviderClass::Sensor, "Sensor"},
        {ProviderClass::ComputerSystem, "ComputerSystem"},
        {ProviderClass::AdminDomain, "AdminDomain"}};
    for (const auto& [providerClass, servedClass] : indexed)
        EXPECT_EQ(IdentityOf(providerClass).servedClass, servedClass);
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor.1"), "Norvipmiprv.Sensor");
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor"), "Norvipmiprv.Sensor");
    EXPECT_EQ(VersionIndependentProgId("Norvipmiprv.Sensor.10"), "Norvipmiprv.Sensor.10");
}

}  // namespace
}  // namespace norv
