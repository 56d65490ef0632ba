#include "com/qualifier_set.h"

#include <algorithm>

#include "com/variant_conversion.h"
#include "com/wbem_hresult.h"
#include "com/wide_text.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

// GetNames and BeginEnumeration select qualifiers by origin; the set has one origin.
constexpr LONG kQualifierOriginFlags = WBEM_FLAG_LOCAL_ONLY | WBEM_FLAG_PROPAGATED_ONLY;

HRESULT NamesArray(const std::vector<const Qualifier*>& qualifiers, SAFEARRAY** names) {
    norv::win::UniqueSafeArray array(
        ::SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(qualifiers.size())));
    if (!array) return Wbem(WBEM_E_OUT_OF_MEMORY);
    for (LONG i = 0; i < static_cast<LONG>(qualifiers.size()); ++i) {
        const auto name = MakeBstr(qualifiers[static_cast<std::size_t>(i)]->name);
        NORV_RETURN_IF_FAILED(::SafeArrayPutElement(array.get(), &i, name.get()));
    }
    *names = array.release();
    return WBEM_S_NO_ERROR;
}

// The flavors a Put may name; the host keeps none of them.
constexpr LONG kQualifierFlavors =
    WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE | WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS |
    WBEM_FLAVOR_NOT_OVERRIDABLE | WBEM_FLAVOR_AMENDED;

}  // namespace

QualifierSet::QualifierSet(std::vector<Qualifier> qualifiers, LONG flavor, Writer write)
    : flavor_(flavor), write_(std::move(write)), qualifiers_(std::move(qualifiers)) {}

bool QualifierSet::Listed(LONG flags) const {
    if (flags == WBEM_FLAG_LOCAL_ONLY) return flavor_ == WBEM_FLAVOR_ORIGIN_LOCAL;
    if (flags == WBEM_FLAG_PROPAGATED_ONLY) return flavor_ == WBEM_FLAVOR_ORIGIN_PROPAGATED;
    return true;
}

HRESULT QualifierSet::Get(LPCWSTR name, LONG flags, VARIANT* value, LONG* flavor) try {
    if (!name || flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    const std::string wanted = WideToUtf8(name);
    std::lock_guard lock(mutex_);
    for (const Qualifier& qualifier : qualifiers_) {
        if (!SameName(qualifier.name, wanted)) continue;
        if (value) NORV_RETURN_IF_FAILED(QualifierToVariant(qualifier.value, *value));
        if (flavor) *flavor = flavor_;
        return WBEM_S_NO_ERROR;
    }
    return Wbem(WBEM_E_NOT_FOUND);
}
NORV_CATCH_RETURN()

HRESULT QualifierSet::Put(LPCWSTR name, VARIANT* value, LONG flavor) try {
    if (!write_) return Wbem(WBEM_E_NOT_SUPPORTED);
    if (!name || !*name || !value || (flavor & ~kQualifierFlavors) != 0)
        return Wbem(WBEM_E_INVALID_PARAMETER);
    Qualifier qualifier{WideToUtf8(name), {}};
    // WMI derives CIMTYPE from the property's type.
    if (SameName(qualifier.name, "CIMTYPE")) return Wbem(WBEM_E_READ_ONLY);
    NORV_RETURN_IF_FAILED(QualifierFromVariant(*value, qualifier.value));
    // The object takes its own lock; this set's is not held meanwhile.
    NORV_RETURN_IF_FAILED(write_(qualifier));
    std::lock_guard lock(mutex_);
    const auto same = [&](const Qualifier& q) { return SameName(q.name, qualifier.name); };
    const auto found = std::find_if(qualifiers_.begin(), qualifiers_.end(), same);
    if (found != qualifiers_.end())
        found->value = std::move(qualifier.value);
    else
        qualifiers_.push_back(std::move(qualifier));
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()
HRESULT QualifierSet::Delete(LPCWSTR) {
    return Wbem(WBEM_E_NOT_SUPPORTED);
}

HRESULT QualifierSet::GetNames(LONG flags, SAFEARRAY** names) try {
    if (!names || (flags & ~kQualifierOriginFlags) != 0 || flags == kQualifierOriginFlags)
        return Wbem(WBEM_E_INVALID_PARAMETER);
    std::vector<const Qualifier*> listed;
    std::lock_guard lock(mutex_);
    if (Listed(flags))
        for (const Qualifier& qualifier : qualifiers_) listed.push_back(&qualifier);
    return NamesArray(listed, names);
}
NORV_CATCH_RETURN()

HRESULT QualifierSet::BeginEnumeration(LONG flags) {
    if ((flags & ~kQualifierOriginFlags) != 0 || flags == kQualifierOriginFlags)
        return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    position_ = Listed(flags) ? 0 : qualifiers_.size();
    return WBEM_S_NO_ERROR;
}

HRESULT QualifierSet::Next(LONG flags, BSTR* name, VARIANT* value, LONG* flavor) try {
    if (flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    if (!position_) return Wbem(WBEM_E_UNEXPECTED);
    if (*position_ >= qualifiers_.size()) return WBEM_S_NO_MORE_DATA;
    const Qualifier& qualifier = qualifiers_[*position_];
    norv::win::UniqueVariant converted;
    NORV_RETURN_IF_FAILED(QualifierToVariant(qualifier.value, converted));
    auto text = MakeBstr(qualifier.name);
    ++*position_;
    if (value) {
        *value = converted;
        V_VT(&converted) = VT_EMPTY;  // ownership passed on
    }
    if (name) *name = text.release();
    if (flavor) *flavor = flavor_;
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT QualifierSet::EndEnumeration() {
    std::lock_guard lock(mutex_);
    position_.reset();
    return WBEM_S_NO_ERROR;
}

Qualifier CimTypeQualifier(const PropertyDefinition& property) {
    std::string name(CimTypeName(property.type));
    if (property.type == CimType::Reference && !property.referenceClass.empty())
        name += ":" + property.referenceClass;
    return Qualifier{"CIMTYPE", CimValue{std::move(name)}};
}

}  // namespace norvwmi
