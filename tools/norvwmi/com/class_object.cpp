#include "com/class_object.h"

#include <algorithm>
#include <cctype>

#include "com/property_selection.h"
#include "com/qualifier_set.h"
#include "com/variant_conversion.h"
#include "com/wbem_hresult.h"
#include "com/wide_text.h"
#include "repository/mof_text.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

// Answers QueryInterface only on the host's own objects, which lets the host find its
// implementation behind a pointer it is given back.
constexpr GUID kImplementationIid = {
    0x5b0c7a0e, 0x3d51, 0x4f0b, {0x9a, 0x6e, 0x1c, 0x52, 0x7e, 0x41, 0xa8, 0x90}};

// The comparison features CompareTo may be told to ignore.
constexpr LONG kComparisonFlags = WBEM_FLAG_IGNORE_QUALIFIERS | WBEM_FLAG_IGNORE_OBJECT_SOURCE |
                                  WBEM_FLAG_IGNORE_DEFAULT_VALUES | WBEM_FLAG_IGNORE_CLASS |
                                  WBEM_FLAG_IGNORE_CASE | WBEM_FLAG_IGNORE_FLAVOR;

CIMTYPE CimTypeOf(CimType type, bool isArray) {
    return static_cast<CIMTYPE>(static_cast<CIMTYPE>(type) | (isArray ? CIM_FLAG_ARRAY : 0));
}

bool SameValue(const CimValue& a, const CimValue& b, bool ignoreCase) {
    const auto* textA = std::get_if<std::string>(&a.data);
    const auto* textB = std::get_if<std::string>(&b.data);
    if (ignoreCase && textA && textB) return SameName(*textA, *textB);
    const auto* arrayA = std::get_if<CimArray>(&a.data);
    const auto* arrayB = std::get_if<CimArray>(&b.data);
    if (ignoreCase && arrayA && arrayB) {
        if (arrayA->size() != arrayB->size()) return false;
        for (std::size_t i = 0; i < arrayA->size(); ++i)
            if (!SameValue((*arrayA)[i], (*arrayB)[i], true)) return false;
        return true;
    }
    return a == b;
}

bool SameQualifiers(const std::vector<Qualifier>& a, const std::vector<Qualifier>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SameName(a[i].name, b[i].name) || !(a[i].value == b[i].value)) return false;
    return true;
}

bool SameObjects(const CimObject& a, const CimObject& b, LONG flags) {
    const bool ignoreCase = (flags & WBEM_FLAG_IGNORE_CASE) != 0;
    if (a.GetGenus() != b.GetGenus()) return false;
    if (!(flags & WBEM_FLAG_IGNORE_CLASS)) {
        if (!SameName(a.Definition().name, b.Definition().name)) return false;
        if (!(flags & WBEM_FLAG_IGNORE_QUALIFIERS) &&
            !SameQualifiers(a.Definition().qualifiers, b.Definition().qualifiers))
            return false;
    }
    if (!(flags & WBEM_FLAG_IGNORE_OBJECT_SOURCE) &&
        (!SameName(a.Source().server, b.Source().server) ||
         !SameName(a.Source().nameSpace, b.Source().nameSpace)))
        return false;
    if (a.PropertyCount() != b.PropertyCount()) return false;
    const bool compareValues =
        a.GetGenus() == Genus::Instance || !(flags & WBEM_FLAG_IGNORE_DEFAULT_VALUES);
    for (std::size_t i = 0; i < a.PropertyCount(); ++i) {
        if (!SameName(a.PropertyAt(i).name, b.PropertyAt(i).name)) return false;
        if (compareValues && !SameValue(a.ValueAt(i), b.ValueAt(i), ignoreCase)) return false;
    }
    return true;
}

// A name WMI takes for a class or property: letters (any beyond ASCII), digits and '_', not
// starting with a digit.
bool IsCimName(std::string_view name) {
    if (name.empty() || (name.front() >= '0' && name.front() <= '9')) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 || std::isalnum(byte) || c == '_';
    });
}

// The property type a CIMTYPE names; nullopt for a number that is no CIM type.
std::optional<std::pair<CimType, bool>> PropertyTypeOf(CIMTYPE type) {
    const bool isArray = (type & CIM_FLAG_ARRAY) != 0;
    const auto base = static_cast<CimType>(type & ~CIM_FLAG_ARRAY);
    if (CimTypeName(base).empty()) return std::nullopt;
    return std::pair{base, isArray};
}

norv::win::ComPtr<ClassObject> SignatureObject(std::shared_ptr<const ClassDefinition> signature) {
    if (!signature) return {};
    ClassLineage lineage;
    lineage.definition = std::move(signature);
    return ClassObject::Create(CimObject::MakeClass(std::move(lineage), ObjectSource{}));
}

}  // namespace

ClassObject::ClassObject(CimObject object) : object_(std::move(object)) {}

ClassObject* ClassObject::Implementation(IWbemClassObject* object) {
    void* implementation = nullptr;
    if (!object || FAILED(object->QueryInterface(kImplementationIid, &implementation)))
        return nullptr;
    auto* own = static_cast<ClassObject*>(implementation);
    own->Release();  // the caller's reference keeps it alive
    return own;
}

CimObject ClassObject::Snapshot() const {
    std::lock_guard lock(mutex_);
    return object_;
}

HRESULT ClassObject::QueryInterface(REFIID iid, void** object) noexcept {
    if (object && iid == kImplementationIid) {
        *object = this;
        AddRef();
        return S_OK;
    }
    return ComObject::QueryInterface(iid, object);
}

HRESULT ClassObject::GetQualifierSet(IWbemQualifierSet** qualifiers) try {
    if (!qualifiers) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    const LONG flavor = object_.GetGenus() == Genus::Class ? WBEM_FLAVOR_ORIGIN_LOCAL
                                                           : WBEM_FLAVOR_ORIGIN_PROPAGATED;
    QualifierSet::Writer write;
    if (defining_)
        write = [self = norv::win::ComPtr<ClassObject>(this)](const Qualifier& qualifier) {
            return self->PutQualifier(nullptr, qualifier);
        };
    HandOut(QualifierSet::Create(object_.Definition().qualifiers, flavor, std::move(write)),
            qualifiers);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::Read(const std::string& name, VARIANT* value, CIMTYPE* type,
                          LONG* flavor) const {
    if (const SystemPropertyInfo* system = FindSystemProperty(name)) {
        if (value)
            NORV_RETURN_IF_FAILED(
                ToVariant(*object_.SystemValue(name), system->type, system->isArray, *value));
        if (type) *type = CimTypeOf(system->type, system->isArray);
        if (flavor) *flavor = WBEM_FLAVOR_ORIGIN_SYSTEM;
        return WBEM_S_NO_ERROR;
    }
    const auto i = object_.Find(name);
    if (!i) return Wbem(WBEM_E_NOT_FOUND);
    const PropertyDefinition& property = object_.PropertyAt(*i);
    if (value)
        NORV_RETURN_IF_FAILED(
            ToVariant(object_.ValueAt(*i), property.type, property.isArray, *value));
    if (type) *type = CimTypeOf(property.type, property.isArray);
    if (flavor)
        *flavor = object_.IsLocalAt(*i) ? WBEM_FLAVOR_ORIGIN_LOCAL : WBEM_FLAVOR_ORIGIN_PROPAGATED;
    return WBEM_S_NO_ERROR;
}

HRESULT ClassObject::Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                         LONG* flavor) try {
    if (!name || flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    return Read(WideToUtf8(name), value, type, flavor);
}
NORV_CATCH_RETURN()

HRESULT ClassObject::Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) try {
    if (!name || flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    const std::string property = WideToUtf8(name);
    std::lock_guard lock(mutex_);
    const bool isClass = object_.GetGenus() == Genus::Class;
    const bool isName = SameName(property, "__CLASS");
    if (defining_ && (isName || (!FindSystemProperty(property) && !object_.Find(property))))
        return Define(property, value, type);
    if (FindSystemProperty(property))
        // Writing __CLASS defines a new class, which only a spawned class may do.
        return isClass && isName ? Wbem(WBEM_E_NOT_SUPPORTED) : Wbem(WBEM_E_READ_ONLY);
    const auto i = object_.Find(property);
    // A class object would gain the property; the host changes no stored class definition.
    if (!i) return isClass ? Wbem(WBEM_E_NOT_SUPPORTED) : Wbem(WBEM_E_NOT_FOUND);
    const PropertyDefinition& definition = object_.PropertyAt(*i);
    if (type != 0 && type != CimTypeOf(definition.type, definition.isArray))
        return Wbem(WBEM_E_TYPE_MISMATCH);
    CimValue converted;
    if (value)
        NORV_RETURN_IF_FAILED(FromVariant(*value, definition.type, definition.isArray, converted));
    if (!object_.Put(*i, std::move(converted))) return Wbem(WBEM_E_TYPE_MISMATCH);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::Define(const std::string& name, VARIANT* value, CIMTYPE type) {
    ClassDefinition definition = object_.Definition();
    if (SameName(name, "__CLASS")) {
        if (!value || V_VT(value) != VT_BSTR) return Wbem(WBEM_E_TYPE_MISMATCH);
        definition.name = BstrToUtf8(V_BSTR(value));
        if (!IsCimName(definition.name) || definition.name.starts_with("__"))
            return Wbem(WBEM_E_INVALID_PARAMETER);
        object_.Redefine(std::move(definition));
        return WBEM_S_NO_ERROR;
    }
    // A new property needs its type; WMI would take the value's, which says less.
    if (type == 0) return Wbem(WBEM_E_TYPE_MISMATCH);
    const auto propertyType = PropertyTypeOf(type);
    if (!propertyType) return Wbem(WBEM_E_INVALID_PROPERTY_TYPE);
    if (!IsCimName(name) || name.starts_with("__")) return Wbem(WBEM_E_INVALID_PARAMETER);
    PropertyDefinition added;
    added.name = name;
    added.type = propertyType->first;
    added.isArray = propertyType->second;
    CimValue converted;
    if (value) NORV_RETURN_IF_FAILED(FromVariant(*value, added.type, added.isArray, converted));
    added.defaultValue = converted;
    definition.properties.push_back(std::move(added));
    object_.Redefine(std::move(definition));
    return WBEM_S_NO_ERROR;
}

HRESULT ClassObject::PutQualifier(const std::string* property, const Qualifier& qualifier) try {
    std::lock_guard lock(mutex_);
    ClassDefinition definition = object_.Definition();
    std::vector<Qualifier>* qualifiers = &definition.qualifiers;
    if (property) {
        const auto found = std::find_if(
            definition.properties.begin(), definition.properties.end(),
            [&](const PropertyDefinition& p) { return SameName(p.name, *property); });
        if (found == definition.properties.end()) return Wbem(WBEM_E_NOT_FOUND);
        qualifiers = &found->qualifiers;
    }
    const auto same = std::find_if(qualifiers->begin(), qualifiers->end(),
                                   [&](const Qualifier& q) { return SameName(q.name, qualifier.name); });
    // A qualifier put again keeps the spelling of its name.
    if (same != qualifiers->end())
        same->value = qualifier.value;
    else
        qualifiers->push_back(qualifier);
    object_.Redefine(std::move(definition));
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::Delete(LPCWSTR name) try {
    if (!name) return Wbem(WBEM_E_INVALID_PARAMETER);
    const std::string property = WideToUtf8(name);
    std::lock_guard lock(mutex_);
    if (FindSystemProperty(property)) return Wbem(WBEM_E_SYSTEM_PROPERTY);
    const auto i = object_.Find(property);
    if (!i) return Wbem(WBEM_E_NOT_FOUND);
    if (object_.GetGenus() == Genus::Class) return Wbem(WBEM_E_NOT_SUPPORTED);
    object_.ResetToDefault(*i);
    return WBEM_S_RESET_TO_DEFAULT;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::GetNames(LPCWSTR qualifierName, LONG flags, VARIANT* qualifierValue,
                              SAFEARRAY** names) try {
    if (!names) return Wbem(WBEM_E_INVALID_PARAMETER);
    const auto selection = GetNamesSelection(flags, qualifierName, qualifierValue);
    if (!selection) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::vector<std::string> selected;
    {
        std::lock_guard lock(mutex_);
        selected = SelectNames(object_, *selection);
    }
    norv::win::UniqueSafeArray array(
        ::SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(selected.size())));
    if (!array) return Wbem(WBEM_E_OUT_OF_MEMORY);
    for (LONG i = 0; i < static_cast<LONG>(selected.size()); ++i) {
        const auto text = MakeBstr(selected[static_cast<std::size_t>(i)]);
        NORV_RETURN_IF_FAILED(::SafeArrayPutElement(array.get(), &i, text.get()));
    }
    *names = array.release();
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::BeginEnumeration(LONG flags) try {
    const auto selection = EnumerationSelection(flags);
    if (!selection) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    // WMI documents a second BeginEnumeration without EndEnumeration as unexpected.
    if (enumerated_) return Wbem(WBEM_E_UNEXPECTED);
    enumerated_ = SelectNames(object_, *selection);
    enumerationPosition_ = 0;
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type, LONG* flavor) try {
    if (flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    if (!enumerated_) return Wbem(WBEM_E_UNEXPECTED);
    if (enumerationPosition_ >= enumerated_->size()) return WBEM_S_NO_MORE_DATA;
    const std::string& current = (*enumerated_)[enumerationPosition_];
    norv::win::UniqueVariant read;
    CIMTYPE readType = 0;
    LONG readFlavor = 0;
    NORV_RETURN_IF_FAILED(Read(current, value ? &read : nullptr, &readType, &readFlavor));
    auto text = MakeBstr(current);
    ++enumerationPosition_;
    if (value) {
        *value = read;
        V_VT(&read) = VT_EMPTY;  // ownership passed on
    }
    if (name) *name = text.release();
    if (type) *type = readType;
    if (flavor) *flavor = readFlavor;
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::EndEnumeration() {
    std::lock_guard lock(mutex_);
    enumerated_.reset();
    return WBEM_S_NO_ERROR;
}

HRESULT ClassObject::GetPropertyQualifierSet(LPCWSTR property, IWbemQualifierSet** qualifiers) try {
    if (!property || !qualifiers) return Wbem(WBEM_E_INVALID_PARAMETER);
    const std::string name = WideToUtf8(property);
    std::lock_guard lock(mutex_);
    if (FindSystemProperty(name)) return Wbem(WBEM_E_SYSTEM_PROPERTY);
    const auto i = object_.Find(name);
    if (!i) return Wbem(WBEM_E_NOT_FOUND);
    const PropertyDefinition& definition = object_.PropertyAt(*i);
    std::vector<Qualifier> all{CimTypeQualifier(definition)};
    all.insert(all.end(), definition.qualifiers.begin(), definition.qualifiers.end());
    const bool local = object_.GetGenus() == Genus::Class &&
                       SameName(object_.OriginAt(*i), object_.Definition().name);
    QualifierSet::Writer write;
    if (defining_)
        write = [self = norv::win::ComPtr<ClassObject>(this),
                 property = definition.name](const Qualifier& qualifier) {
            return self->PutQualifier(&property, qualifier);
        };
    HandOut(QualifierSet::Create(std::move(all),
                                 local ? WBEM_FLAVOR_ORIGIN_LOCAL : WBEM_FLAVOR_ORIGIN_PROPAGATED,
                                 std::move(write)),
            qualifiers);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::Clone(IWbemClassObject** copy) try {
    if (!copy) return Wbem(WBEM_E_INVALID_PARAMETER);
    auto cloned = ClassObject::Create(Snapshot());
    cloned->defining_ = defining_;
    HandOut(cloned, copy);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::GetObjectText(LONG flags, BSTR* text) try {
    if (!text || (flags & ~WBEM_FLAG_NO_FLAVORS) != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    *text = MakeBstr(ObjectText(object_)).release();
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) try {
    if (flags != 0 || !newClass) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    // A class being defined has no name yet to derive from.
    if (object_.GetGenus() != Genus::Class || defining_) return Wbem(WBEM_E_ILLEGAL_OPERATION);
    auto derived = ClassObject::Create(object_.SpawnDerivedClass());
    derived->defining_ = true;
    HandOut(derived, newClass);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::SpawnInstance(LONG flags, IWbemClassObject** instance) try {
    if (flags != 0 || !instance) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    HandOut(ClassObject::Create(object_.SpawnInstance()), instance);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::CompareTo(LONG flags, IWbemClassObject* other) try {
    if (!other || (flags & ~kComparisonFlags) != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    const ClassObject* theirs = Implementation(other);
    if (!theirs) return WBEM_S_DIFFERENT;
    // Each snapshot takes its own object's lock, so comparing an object with itself is safe.
    const CimObject b = theirs->Snapshot();
    const CimObject a = Snapshot();
    return SameObjects(a, b, flags) ? WBEM_S_SAME : WBEM_S_DIFFERENT;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::GetPropertyOrigin(LPCWSTR name, BSTR* className) try {
    if (!name || !className) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    const auto i = object_.Find(WideToUtf8(name));
    if (!i) return Wbem(WBEM_E_NOT_FOUND);  // system properties belong to no class
    *className = MakeBstr(object_.OriginAt(*i)).release();
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::InheritsFrom(LPCWSTR ancestor) try {
    if (!ancestor) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    return object_.InheritsFrom(WideToUtf8(ancestor)) ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::GetMethod(LPCWSTR name, LONG flags, IWbemClassObject** inSignature,
                               IWbemClassObject** outSignature) try {
    if (!name || flags != 0) return Wbem(WBEM_E_INVALID_PARAMETER);
    norv::win::ComPtr<ClassObject> in;
    norv::win::ComPtr<ClassObject> out;
    {
        std::lock_guard lock(mutex_);
        // WMI offers methods on class definitions only.
        if (object_.GetGenus() != Genus::Class) return Wbem(WBEM_E_ILLEGAL_OPERATION);
        const MethodDefinition* method = object_.Definition().FindMethod(WideToUtf8(name));
        if (!method) return Wbem(WBEM_E_NOT_FOUND);
        in = SignatureObject(MethodSignature(*method, false));
        out = SignatureObject(MethodSignature(*method, true));
    }
    if (inSignature) {
        *inSignature = nullptr;
        if (in) HandOut(in, inSignature);
    }
    if (outSignature) {
        *outSignature = nullptr;
        if (out) HandOut(out, outSignature);
    }
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) {
    return Wbem(WBEM_E_NOT_SUPPORTED);
}
HRESULT ClassObject::DeleteMethod(LPCWSTR) {
    return Wbem(WBEM_E_NOT_SUPPORTED);
}
HRESULT ClassObject::BeginMethodEnumeration(LONG) {
    return Wbem(WBEM_E_NOT_SUPPORTED);
}
HRESULT ClassObject::NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) {
    return Wbem(WBEM_E_NOT_SUPPORTED);
}
HRESULT ClassObject::EndMethodEnumeration() {
    return Wbem(WBEM_E_NOT_SUPPORTED);
}

HRESULT ClassObject::GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** qualifiers) try {
    if (!method || !qualifiers) return Wbem(WBEM_E_INVALID_PARAMETER);
    std::lock_guard lock(mutex_);
    if (object_.GetGenus() != Genus::Class) return Wbem(WBEM_E_ILLEGAL_OPERATION);
    const MethodDefinition* found = object_.Definition().FindMethod(WideToUtf8(method));
    if (!found) return Wbem(WBEM_E_NOT_FOUND);
    HandOut(QualifierSet::Create(found->qualifiers, WBEM_FLAVOR_ORIGIN_LOCAL), qualifiers);
    return WBEM_S_NO_ERROR;
}
NORV_CATCH_RETURN()

HRESULT ClassObject::GetMethodOrigin(LPCWSTR, BSTR*) {
    return Wbem(WBEM_E_NOT_SUPPORTED);
}

}  // namespace norvwmi
