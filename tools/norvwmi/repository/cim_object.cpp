#include "repository/cim_object.h"

#include <algorithm>

#include "repository/name_compare.h"
#include "repository/object_path.h"
#include "repository/value_normalisation.h"

namespace norvwmi {

namespace {

enum SystemIndex : std::size_t {
    kGenus,
    kClass,
    kSuperclass,
    kDynasty,
    kRelPath,
    kPropertyCount,
    kDerivation,
    kServer,
    kNamespace,
    kPath,
};

std::optional<std::size_t> SystemIndexOf(std::string_view name) {
    for (std::size_t i = 0; i < kSystemProperties.size(); ++i)
        if (SameName(kSystemProperties[i].name, name)) return i;
    return std::nullopt;
}

bool HasTrueQualifier(const std::vector<Qualifier>& qualifiers, std::string_view name) {
    for (const Qualifier& qualifier : qualifiers) {
        if (!SameName(qualifier.name, name)) continue;
        const bool* flag = std::get_if<bool>(&qualifier.value.data);
        return flag && *flag;
    }
    return false;
}

CimValue DefaultOf(const PropertyDefinition& property) {
    CimValue value = property.defaultValue;
    return NormaliseToProperty(property, value) ? CimValue{} : value;
}

CimValue Text(std::string_view text) {
    return CimValue{std::string(text)};
}

}  // namespace

const SystemPropertyInfo* FindSystemProperty(std::string_view name) {
    const auto index = SystemIndexOf(name);
    return index ? &kSystemProperties[*index] : nullptr;
}

std::vector<std::string> ClassLineage::Derivation() const {
    std::vector<std::string> names;
    std::string_view next = definition->superclass;
    for (const auto& ancestor : ancestors) {
        if (next.empty() || !SameName(ancestor->name, next)) break;
        names.push_back(ancestor->name);
        next = ancestor->superclass;
    }
    if (!next.empty()) names.emplace_back(next);
    return names;
}

CimObject::CimObject(ClassLineage lineage, Genus genus, ObjectSource source)
    : lineage_(std::move(lineage)), genus_(genus), source_(std::move(source)) {
    const auto& properties = lineage_.definition->properties;
    values_.reserve(properties.size());
    for (const PropertyDefinition& property : properties) values_.push_back(DefaultOf(property));
    local_.assign(properties.size(), false);
    visible_.resize(properties.size());
    for (std::size_t i = 0; i < visible_.size(); ++i) visible_[i] = i;
    std::stable_sort(visible_.begin(), visible_.end(), [&](std::size_t a, std::size_t b) {
        return NameLess(properties[a].name, properties[b].name);
    });
    systemShown_.fill(true);
}

CimObject CimObject::MakeClass(ClassLineage lineage, ObjectSource source) {
    CimObject object(std::move(lineage), Genus::Class, std::move(source));
    for (std::size_t slot = 0; slot < object.local_.size(); ++slot) {
        const auto position = std::find(object.visible_.begin(), object.visible_.end(), slot);
        const std::size_t i = static_cast<std::size_t>(position - object.visible_.begin());
        object.local_[slot] = SameName(object.OriginAt(i), object.Definition().name);
    }
    return object;
}

std::variant<CimObject, std::string> CimObject::MakeInstance(ClassLineage lineage,
                                                             const InstanceDefinition& instance,
                                                             ObjectSource source) {
    CimObject object(std::move(lineage), Genus::Instance, std::move(source));
    for (const PropertyValue& given : instance.values) {
        const auto i = object.Find(given.name);
        if (!i)
            return "property '" + given.name + "' is not declared in class " +
                   object.Definition().name;
        CimValue value = given.value;
        if (auto reason = NormaliseToProperty(object.PropertyAt(*i), value)) return *reason;
        object.values_[object.Slot(*i)] = std::move(value);
        object.local_[object.Slot(*i)] = true;
    }
    return object;
}

CimObject CimObject::SpawnInstance() const {
    CimObject instance(lineage_, Genus::Instance, ObjectSource{});
    // A class object's defaults may have been changed with Put; an instance's values are
    // not passed on.
    if (genus_ == Genus::Class) instance.values_ = values_;
    return instance;
}

CimObject CimObject::SpawnDerivedClass() const {
    auto derived = std::make_shared<ClassDefinition>();
    derived->superclass = Definition().name;
    derived->nameSpace = Definition().nameSpace;
    derived->properties = Definition().properties;
    derived->methods = Definition().methods;
    ClassLineage lineage;
    lineage.definition = std::move(derived);
    lineage.ancestors.push_back(lineage_.definition);
    lineage.ancestors.insert(lineage.ancestors.end(), lineage_.ancestors.begin(),
                             lineage_.ancestors.end());
    CimObject spawned = MakeClass(std::move(lineage), ObjectSource{});
    spawned.values_ = values_;
    return spawned;
}

void CimObject::Redefine(ClassDefinition definition) {
    ClassLineage lineage;
    lineage.definition = std::make_shared<const ClassDefinition>(std::move(definition));
    lineage.ancestors = lineage_.ancestors;
    CimObject redefined = MakeClass(std::move(lineage), source_);
    for (std::size_t i = 0; i < redefined.PropertyCount(); ++i)
        if (const auto kept = Find(redefined.PropertyAt(i).name))
            redefined.values_[redefined.Slot(i)] = ValueAt(*kept);
    *this = std::move(redefined);
}

CimObject CimObject::Projected(const std::vector<std::string>& selected,
                               bool ensureLocatable) const {
    CimObject result = *this;
    result.projected_ = true;
    auto wanted = [&](std::string_view name) {
        return std::any_of(selected.begin(), selected.end(),
                           [&](const std::string& s) { return SameName(s, name); });
    };
    const bool withPath = ensureLocatable || wanted("__PATH");
    const bool withKeys = withPath || wanted("__RELPATH");
    result.visible_.clear();
    for (std::size_t slot : visible_) {
        const PropertyDefinition& property = Definition().properties[slot];
        if (wanted(property.name) || (withKeys && property.IsKey()))
            result.visible_.push_back(slot);
    }
    result.systemShown_[kSuperclass] = wanted("__SUPERCLASS");
    result.systemShown_[kDynasty] = wanted("__DYNASTY");
    result.systemShown_[kDerivation] = wanted("__DERIVATION");
    result.systemShown_[kServer] = withPath;
    result.systemShown_[kNamespace] = withPath;
    result.systemShown_[kPath] = withPath;
    return result;
}

const PropertyDefinition& CimObject::PropertyAt(std::size_t i) const {
    return Definition().properties[Slot(i)];
}

const CimValue& CimObject::ValueAt(std::size_t i) const {
    return values_[Slot(i)];
}

std::optional<std::size_t> CimObject::Find(std::string_view name) const {
    for (std::size_t i = 0; i < visible_.size(); ++i)
        if (SameName(PropertyAt(i).name, name)) return i;
    return std::nullopt;
}

bool CimObject::IsLocalAt(std::size_t i) const {
    return local_[Slot(i)];
}

std::string_view CimObject::OriginAt(std::size_t i) const {
    const std::string_view name = PropertyAt(i).name;
    for (auto ancestor = lineage_.ancestors.rbegin(); ancestor != lineage_.ancestors.rend();
         ++ancestor)
        if ((*ancestor)->FindProperty(name)) return (*ancestor)->name;
    return Definition().name;
}

bool CimObject::Put(std::size_t i, CimValue value) {
    if (NormaliseToProperty(PropertyAt(i), value)) return false;
    values_[Slot(i)] = std::move(value);
    if (genus_ == Genus::Instance) local_[Slot(i)] = true;
    return true;
}

void CimObject::ResetToDefault(std::size_t i) {
    values_[Slot(i)] = DefaultOf(PropertyAt(i));
    if (genus_ == Genus::Instance) local_[Slot(i)] = false;
}

std::optional<std::string> CimObject::RelativePath() const {
    const ClassDefinition& definition = Definition();
    if (genus_ == Genus::Class) return definition.name;
    std::vector<KeyBinding> keys;
    for (std::size_t slot = 0; slot < definition.properties.size(); ++slot) {
        const PropertyDefinition& property = definition.properties[slot];
        if (!property.IsKey()) continue;
        const bool shown = std::find(visible_.begin(), visible_.end(), slot) != visible_.end();
        if (!shown || values_[slot].IsNull()) return std::nullopt;
        keys.push_back(KeyBinding{property.name, values_[slot]});
    }
    // A keyless instance has a path only when its class is a singleton.
    if (keys.empty() && !HasTrueQualifier(definition.qualifiers, "singleton")) return std::nullopt;
    return FormatRelativePath(definition.name, std::move(keys), true);
}

std::optional<std::string> CimObject::FullPath() const {
    if (source_.server.empty() || source_.nameSpace.empty()) return std::nullopt;
    auto relative = RelativePath();
    if (!relative) return std::nullopt;
    return "\\\\" + source_.server + "\\" + source_.nameSpace + ":" + *relative;
}

std::optional<CimValue> CimObject::SystemValue(std::string_view name) const {
    const auto index = SystemIndexOf(name);
    if (!index) return std::nullopt;
    if (!systemShown_[*index]) return CimValue{};
    auto optionalText = [](const std::optional<std::string>& text) {
        return text ? CimValue{*text} : CimValue{};
    };
    auto sourceText = [](const std::string& text) {
        return text.empty() ? CimValue{} : Text(text);
    };
    const std::vector<std::string> derivation = lineage_.Derivation();
    switch (*index) {
        case kGenus:
            return CimValue{static_cast<std::int64_t>(genus_)};
        case kClass:
            return Text(Definition().name);
        case kSuperclass:
            return derivation.empty() ? CimValue{} : Text(derivation.front());
        case kDynasty:
            return Text(derivation.empty() ? Definition().name : derivation.back());
        case kRelPath:
            return optionalText(RelativePath());
        case kPropertyCount:
            return CimValue{static_cast<std::int64_t>(visible_.size())};
        case kDerivation: {
            CimArray names;
            for (const std::string& ancestor : derivation) names.push_back(Text(ancestor));
            return CimValue{std::move(names)};
        }
        case kServer:
            return sourceText(source_.server);
        case kNamespace:
            return sourceText(source_.nameSpace);
        case kPath:
            return optionalText(FullPath());
        default:
            return CimValue{};
    }
}

bool CimObject::InheritsFrom(std::string_view ancestor) const {
    const std::vector<std::string> derivation = lineage_.Derivation();
    return std::any_of(derivation.begin(), derivation.end(),
                       [&](const std::string& name) { return SameName(name, ancestor); });
}

std::shared_ptr<const ClassDefinition> MethodSignature(const MethodDefinition& method, bool out) {
    auto signature = std::make_shared<ClassDefinition>();
    signature->name = "__PARAMETERS";
    const std::string_view direction = out ? "out" : "in";
    for (std::size_t position = 0; position < method.parameters.size(); ++position) {
        const PropertyDefinition& parameter = method.parameters[position];
        if (!HasTrueQualifier(parameter.qualifiers, direction)) continue;
        PropertyDefinition property = parameter;
        const bool hasId = std::any_of(property.qualifiers.begin(), property.qualifiers.end(),
                                       [](const Qualifier& q) { return SameName(q.name, "ID"); });
        if (!hasId)
            property.qualifiers.push_back(
                Qualifier{"ID", CimValue{static_cast<std::int64_t>(position)}});
        signature->properties.push_back(std::move(property));
    }
    if (out) {
        PropertyDefinition returnValue;
        returnValue.name = "ReturnValue";
        returnValue.type = method.returnType;
        returnValue.qualifiers.push_back(Qualifier{"out", CimValue{true}});
        signature->properties.push_back(std::move(returnValue));
    } else if (signature->properties.empty()) {
        return nullptr;
    }
    return signature;
}

const std::string* TextOf(const CimObject& object, std::string_view property) {
    const auto index = object.Find(property);
    return index ? std::get_if<std::string>(&object.ValueAt(*index).data) : nullptr;
}

}  // namespace norvwmi
