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
    {"Module", "C:\\Program Files\\100%\\x.dll"}, {"APPID", ""}, {"Owner", "Norv"}};

TEST(ExpandReplacements, SubstitutesNamedVariablesWithoutRegardToCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain text", "plain text"},
        {"%OWNER%.%owner%", "Norv.Norv"},
        {"[%APPID%]", "[]"},
        {"100%% sure", "100% sure"},
        {"%Module%", "C:\\Program Files\\100%\\x.dll"},  // a value is not expanded again
        {"", ""}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ExpandReplacements(text, kSample), expected) << text;
    for (const char* text : {"%Unknown%", "a %Owner", "50%", "%Own er%"}) {
        EXPECT_FALSE(ExpandReplacements(text, kSample).has_value()) << text;
    }
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

// The registry tree itself is read back from a real registry by the Windows tests; here, for
// every class, the operations that carry a rule.
TEST(ClassRegistryScript, EveryClassRegistersItsProgIdsServerAndLibraryAndUnregistersThem) {
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        SCOPED_TRACE(identity.className);
        const std::string progId(identity.progId);
        const std::string independent(VersionIndependentProgId(identity.progId));
        const std::string key = "CLSID\\" + std::string(identity.clsid);
        const auto ops = PlanClassRegistry(identity, kModulePath, false, RegistryMode::Register);
        ASSERT_TRUE(ops.has_value());
        EXPECT_EQ(ops->size(), 26u);
        for (const RegistryOperation& op :
             Ops{{kSet, progId, "", std::string(identity.friendlyName)},
                 {kSet, progId + "\\CLSID", "", std::string(identity.clsid)},
                 {kSet, independent + "\\CurVer", "", progId},
                 {kDeleteTree, key, "", ""},
                 {kSet, key + "\\ProgID", "", progId},
                 {kSet, key + "\\VersionIndependentProgID", "", independent},
                 {kSet, key + "\\InprocServer32", "", std::string(kModulePath)},
                 {kSet, key + "\\InprocServer32", "ThreadingModel", "both"},
                 {kSet, key + "\\TypeLib", "", "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27}"}}) {
            EXPECT_NE(std::ranges::find(*ops, op), ops->end()) << op.keyPath << " " << op.valueName;
        }
        const auto removed =
            PlanClassRegistry(identity, kModulePath, false, RegistryMode::Unregister);
        ASSERT_TRUE(removed.has_value());
        EXPECT_EQ(removed->size(), 13u);
        EXPECT_EQ(removed->front(), (RegistryOperation{kDeleteKey, progId + "\\CLSID", "", ""}));
        EXPECT_EQ(removed->back(),
                  (RegistryOperation{kDeleteTree, key, "", ""}));  // never the CLSID root
        EXPECT_EQ(std::ranges::count_if(
                      *removed, [](const RegistryOperation& op) { return op.keyPath == "CLSID"; }),
                  0);
    }
}

}  // namespace
}  // namespace norv
