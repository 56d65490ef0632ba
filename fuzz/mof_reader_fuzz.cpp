// Arbitrary bytes as MOF: read them, add what was read to a repository that holds WMI's
// provider-registration classes, and walk everything the repository then holds. Besides
// the sanitizers' findings, a broken invariant aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "repository/mof_reader.h"
#include "repository/repository.h"
#include "repository/value_normalisation.h"
#include "fuzz_invariant.h"

using namespace norvwmi;

namespace {

constexpr std::string_view kSystemClasses = R"(
[abstract] class __SystemClass { };
class __Namespace : __SystemClass { [key] string Name; };
[abstract] class __Provider : __SystemClass { [key] string Name; };
class __Win32Provider : __Provider { string CLSID; string HostingModel; };
[abstract] class __ProviderRegistration : __SystemClass { [key] __Provider ref Provider; };
class __InstanceProviderRegistration : __ProviderRegistration {
    boolean SupportsGet = FALSE; boolean SupportsEnumeration = TRUE; string QuerySupportLevels[];
};
class __MethodProviderRegistration : __ProviderRegistration { };
)";

const Repository& WithSystemClasses() {
    static const Repository repository = [] {
        Repository built;
        const MofReadResult read = ReadMof(kSystemClasses, "system.mof");
        REQUIRE(!read.error && !built.AddSystemClasses(read.document));
        return built;
    }();
    return repository;
}

void CheckHeld(const Repository& repository) {
    for (const std::string& space : repository.Namespaces()) {
        for (const ClassDefinition* definition : repository.Classes(space)) {
            REQUIRE(repository.FindClass(space, definition->name) == definition);
            for (const InstanceDefinition* instance :
                 repository.Instances(space, definition->name, true)) {
                const ClassDefinition* own = repository.FindClass(space, instance->className);
                REQUIRE(own != nullptr &&
                        repository.IsDerivedFrom(space, own->name, definition->name));
                // What the repository keeps is already in its normal form.
                for (const PropertyValue& value : instance->values) {
                    const PropertyDefinition* property = own->FindProperty(value.name);
                    REQUIRE(property != nullptr);
                    CimValue again = value.value;
                    REQUIRE(!NormaliseToProperty(*property, again) && again == value.value);
                }
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MofReadResult read = ReadMof(text, "fuzz.mof");
    if (read.error) {
        int lines = 1;
        for (char c : text) lines += c == '\n';
        REQUIRE(read.error->line >= 1 && read.error->line <= lines && !read.error->message.empty());
        REQUIRE(read.document.classes.empty() && read.document.instances.empty());
        return 0;
    }
    Repository repository = WithSystemClasses();
    if (const std::optional<MofError> error = repository.Add(read.document)) {
        REQUIRE(error->line >= 1 && !error->message.empty());
        REQUIRE(repository.Namespaces().empty());  // a failed document adds nothing
        return 0;
    }
    CheckHeld(repository);
    return 0;
}
