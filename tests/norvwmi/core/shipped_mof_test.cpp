// The MOF the project ships, as the host loads it: every property a provider writes is declared
// with its type (thresholds the shipped platforms never set included), the served classes carry
// the keys their lookups read and the one implemented method, ClearLog; the declarations are
// tests/data/norvwmi/shipped_classes.txt.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/provider_class_identity.h"
#include "repository/name_compare.h"
#include "simulated_driver/platform_loading.h"
#include "support/case_file.h"

namespace norvwmi {
namespace {

bool Implemented(const MethodDefinition& method) {
    for (const Qualifier& qualifier : method.qualifiers)
        if (SameName(qualifier.name, "Implemented")) return true;
    return false;
}

TEST(ShippedMof, ServedClassesDeclareWhatTheProvidersWriteAndTheirLookupsRead) {
    static const Platform platform =
        std::get<Platform>(LoadPlatform(DefaultPlatformDescription(), "HOST"));
    const Repository& repository = platform.classes->Declared();
    std::set<std::string> listed;
    norv::test::ExpectCases("shipped_classes.txt", [&](const std::string& input) -> std::string {
        listed.insert(input);
        const std::size_t dot = input.find('.');
        const ClassDefinition* definition =
            repository.FindClass(kServedNamespace, input.substr(0, dot));
        if (!definition) return "no class";
        const std::string name = input.substr(dot + 1);
        if (name.back() == ')') {
            const MethodDefinition* method =
                definition->FindMethod(name.substr(0, name.size() - 2));
            if (!method || method->name + "()" != name) return "not declared";
            return std::string(CimTypeName(method->returnType)) + ", " +
                   std::to_string(method->parameters.size()) + " parameters" +
                   (Implemented(*method) ? ", implemented" : "");
        }
        const PropertyDefinition* property = definition->FindProperty(name);
        // Providers put with the exact spelling.
        if (!property || property->name != name) return "not declared";
        return std::string(CimTypeName(property->type)) + (property->isArray ? "[]" : "") +
               (property->IsKey() ? " key" : "");
    });
    for (const norv::ProviderClassIdentity& served : norv::kProviderClassIdentities) {
        if (served.servedClass.empty()) continue;  // the association classes are its rows
        const ClassDefinition* definition =
            repository.FindClass(kServedNamespace, served.servedClass);
        ASSERT_NE(definition, nullptr) << served.servedClass;
        EXPECT_EQ(definition->name, served.servedClass);  // the providers ask by this name
        const std::string prefix = definition->name + ".";
        for (const PropertyDefinition& property : definition->properties)
            EXPECT_TRUE(!property.IsKey() || listed.count(prefix + property.name)) << property.name;
        for (const MethodDefinition& method : definition->methods)
            EXPECT_TRUE(!Implemented(method) || listed.count(prefix + method.name + "()"))
                << method.name;
    }
}

}  // namespace
}  // namespace norvwmi
