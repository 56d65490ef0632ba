#include "host/registry_script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/class_registry_script.h"
#include "host/guid_text.h"
#include "host/provider_class_identity.h"
#include "support/case_file.h"

namespace norv {
namespace {

const Replacements kSample = {
    {"Module", "C:\\Program Files\\100%\\x.dll"}, {"APPID", ""}, {"Owner", "Norv"}};

TEST(RegistrarCases, AsReviewed) {
    test::ExpectCases("registrar_cases.txt", [](const std::string& input) {
        const std::string text = input.substr(input.find(' ') + 1);
        if (input.starts_with("expand ")) return ExpandReplacements(text, kSample).value_or("none");
        if (input.starts_with("progid ")) return std::string(VersionIndependentProgId(text));
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

// The operations of a script are those of every class's registration (class_registry.txt
// below); here a replacement that is missing in a key's name or in a child's value.
constexpr RegistryNode kBadName[] = {Key("%Missing%", std::nullopt)};
constexpr RegistryNode kBadChildBlock[] = {StringValue("v", "%Missing%")};
constexpr RegistryNode kBadChild[] = {Key("Fine", "ok", kBadChildBlock)};

TEST(PlanRegistryOperations, AMissingReplacementPlansNothing) {
    for (const auto mode : {RegistryMode::Register, RegistryMode::Unregister}) {
        EXPECT_FALSE(PlanRegistryOperations(kBadName, mode, kSample).has_value());
        EXPECT_FALSE(PlanRegistryOperations(kBadChild, mode, kSample).has_value());
    }
}

constexpr std::string_view kModulePath = "C:\\Program Files\\Norv\\Norvipmiprv.dll";

// The library's replacements show in every class's registration (class_registry.txt).
TEST(ModuleReplacements, AnExecutableIsALocalServerAndTheRawModuleIsItsPath) {
    EXPECT_EQ(
        ExpandReplacements("%Module_Raw% %MODULETYPE%", ModuleReplacements("C:\\h.exe", true)),
        "C:\\h.exe LocalServer32");
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
                        (op.action == RegistryAction::SetValue ? " = " + op.data : "") + "\n";
            }
        }
    }
    test::ExpectGolden("class_registry.txt", text);
}

// Every row's friendly name, CLSID and ProgIDs are in class_registry.txt; here the coclass
// names of the type library.
TEST(ProviderClassIdentities, CoclassNamesAreTheClassNamesAfterC) {
    for (const ProviderClassIdentity& identity : kProviderClassIdentities)
        EXPECT_EQ(identity.coclassName, "C" + std::string(identity.className));
}

}  // namespace
}  // namespace norv
