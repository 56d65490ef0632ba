// A class or instance as the WMI service hands it out: a shared, immutable class
// definition, a value per property, the system properties WMI derives from them, and
// for the results of a SELECT with a property list the projection WMI applies.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "repository/cim_class_definition.h"

namespace norvwmi {

// A class with the ancestors the namespace holds, immediate superclass first.
struct ClassLineage {
    std::shared_ptr<const ClassDefinition> definition;
    std::vector<std::shared_ptr<const ClassDefinition>> ancestors;

    // __DERIVATION: the superclass names, immediate superclass first. A superclass the
    // namespace does not hold ends the list.
    std::vector<std::string> Derivation() const;
};

// Where a located object came from; both empty for an object made by SpawnInstance.
struct ObjectSource {
    std::string server;
    std::string nameSpace;
};

enum class Genus : std::int32_t { Class = 1, Instance = 2 };

struct SystemPropertyInfo {
    std::string_view name;
    CimType type;
    bool isArray;
};

// WMI's system properties in the order in which it lists them.
inline constexpr std::array<SystemPropertyInfo, 10> kSystemProperties{{
    {"__GENUS", CimType::SInt32, false},
    {"__CLASS", CimType::String, false},
    {"__SUPERCLASS", CimType::String, false},
    {"__DYNASTY", CimType::String, false},
    {"__RELPATH", CimType::String, false},
    {"__PROPERTY_COUNT", CimType::SInt32, false},
    {"__DERIVATION", CimType::String, true},
    {"__SERVER", CimType::String, false},
    {"__NAMESPACE", CimType::String, false},
    {"__PATH", CimType::String, false},
}};

const SystemPropertyInfo* FindSystemProperty(std::string_view name);

class CimObject {
public:
    static CimObject MakeClass(ClassLineage lineage, ObjectSource source);
    // The error text names an undeclared property or a value its type cannot hold.
    static std::variant<CimObject, std::string> MakeInstance(ClassLineage lineage,
                                                             const InstanceDefinition& instance,
                                                             ObjectSource source);

    // A new instance of this object's class holding the class defaults, not located.
    CimObject SpawnInstance() const;
    // A class object: a new class derived from it, not located, that has no name until one
    // is given (Redefine). It inherits the properties with their defaults and the methods;
    // no qualifier is passed on, as the host keeps no qualifier flavors.
    CimObject SpawnDerivedClass() const;
    // A class object being defined: its definition replaced, keeping the default of every
    // property it still has by name.
    void Redefine(ClassDefinition definition);

    // The object as the result of SELECT <selected> FROM ...: only the selected properties
    // (names known to exist); the keys too when __PATH or __RELPATH is selected or when
    // the caller wants the object locatable. System properties that WMI returns only on
    // request are null unless selected.
    CimObject Projected(const std::vector<std::string>& selected, bool ensureLocatable) const;

    Genus GetGenus() const { return genus_; }
    const ClassDefinition& Definition() const { return *lineage_.definition; }
    const ClassLineage& Lineage() const { return lineage_; }
    const ObjectSource& Source() const { return source_; }
    // Where the object now is: WMI fills __SERVER, __NAMESPACE and __PATH of the instances
    // a provider hands it before a client sees them.
    void Locate(ObjectSource source) { source_ = std::move(source); }
    bool IsProjection() const { return projected_; }

    // The non-system properties the object carries, ordered by name without regard to
    // case as WMI lists them.
    std::size_t PropertyCount() const { return visible_.size(); }
    const PropertyDefinition& PropertyAt(std::size_t i) const;
    const CimValue& ValueAt(std::size_t i) const;
    std::optional<std::size_t> Find(std::string_view name) const;

    // Instances: true once a value was given at the instance level. Classes: true for a
    // property the class declares itself rather than inherits.
    bool IsLocalAt(std::size_t i) const;
    // The class that first declared the property.
    std::string_view OriginAt(std::size_t i) const;

    // False when the value cannot be held by the property's type (nothing changes).
    bool Put(std::size_t i, CimValue value);
    void ResetToDefault(std::size_t i);

    // nullopt when the name is not that of a system property; the value may be null.
    std::optional<CimValue> SystemValue(std::string_view name) const;
    std::optional<std::string> RelativePath() const;  // __RELPATH
    std::optional<std::string> FullPath() const;      // __PATH

    bool InheritsFrom(std::string_view ancestor) const;

private:
    CimObject(ClassLineage lineage, Genus genus, ObjectSource source);
    std::size_t Slot(std::size_t i) const { return visible_.at(i); }

    ClassLineage lineage_;
    Genus genus_ = Genus::Instance;
    ObjectSource source_;
    std::vector<CimValue> values_;      // one per property of the definition
    std::vector<bool> local_;           // one per property of the definition
    std::vector<std::size_t> visible_;  // definition indices, by name
    bool projected_ = false;
    std::array<bool, kSystemProperties.size()> systemShown_{};
};

// The text a string property of the object holds; null when the object has no such property
// or its value is null.
const std::string* TextOf(const CimObject& object, std::string_view property);

// A method's in or out parameters as the class WMI calls __PARAMETERS: the [in]
// parameters, or the [out] parameters followed by ReturnValue; each carries an ID
// qualifier with its position. nullptr for in-parameters when there are none.
std::shared_ptr<const ClassDefinition> MethodSignature(const MethodDefinition& method, bool out);

}  // namespace norvwmi
