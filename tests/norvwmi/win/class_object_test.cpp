// IWbemClassObject as WMI's: which VARIANT types each CIM type accepts in Put, the ranges,
// the VARIANT type Get hands back; spawned defaults, relative paths and method signatures.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "com/class_object.h"
#include "com/wbem_hresult.h"
#include "com/wbem_status_names.h"
#include "support/case_file.h"
#include "test_namespace.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using testing::Narrow;
using testing::NewTestInstance;
using testing::NumberOf;
using testing::TextOf;
using testing::Variant;

HRESULT Put(IWbemClassObject* object, const wchar_t* property, Variant value) {
    return object->Put(property, 0, value.get(), 0);
}

// The value Get hands back, and its CIM type.
Variant Got(IWbemClassObject* object, const wchar_t* property, CIMTYPE* type = nullptr) {
    Variant value;
    EXPECT_EQ(object->Get(property, 0, value.get(), type, nullptr), WBEM_S_NO_ERROR)
        << Narrow(property);
    return value;
}

// The VARIANT types Put is tried with (the first 15) and those it is given to clear.
struct VarTypeName {
    VARTYPE type;
    std::string_view name;
};
constexpr VarTypeName kVarTypes[] = {
    {VT_I1, "VT_I1"},      {VT_UI1, "VT_UI1"},   {VT_I2, "VT_I2"},   {VT_UI2, "VT_UI2"},
    {VT_I4, "VT_I4"},      {VT_UI4, "VT_UI4"},   {VT_INT, "VT_INT"}, {VT_UINT, "VT_UINT"},
    {VT_I8, "VT_I8"},      {VT_UI8, "VT_UI8"},   {VT_R4, "VT_R4"},   {VT_R8, "VT_R8"},
    {VT_BOOL, "VT_BOOL"},  {VT_BSTR, "VT_BSTR"}, {VT_CY, "VT_CY"},   {VT_NULL, "VT_NULL"},
    {VT_EMPTY, "VT_EMPTY"}};

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

VARTYPE TypeNamed(const std::string& name) {
    for (const VarTypeName& known : kVarTypes)
        if (known.name == name) return known.type;
    return name == "VT_VARIANT" ? VT_VARIANT : VT_ILLEGAL;
}

// A scalar, or for "VT_xx[LOWER]" a one-dimensional array of comma-separated elements.
Variant Make(const std::string& typeName, const std::string& value) {
    const std::size_t bracket = typeName.find('[');
    const VARTYPE type = TypeNamed(typeName.substr(0, bracket));
    if (bracket != std::string::npos) {
        std::vector<std::string> elements;
        std::istringstream in(value);
        for (std::string element; std::getline(in, element, ',');)
            if (element != "-") elements.push_back(element);
        SAFEARRAYBOUND bound{static_cast<ULONG>(elements.size()),
                             std::stol(typeName.substr(bracket + 1))};
        SAFEARRAY* array = ::SafeArrayCreate(type, 1, &bound);
        LONG index = bound.lLbound;
        for (const std::string& text : elements) {
            Variant element = Make(typeName.substr(0, bracket), text);
            ::SafeArrayPutElement(array, &index,
                                  type == VT_BSTR ? static_cast<void*>(V_BSTR(element.get()))
                                                  : &V_UI1(element.get()));
            ++index;
        }
        Variant result;
        V_VT(result.get()) = static_cast<VARTYPE>(VT_ARRAY | type);
        V_ARRAY(result.get()) = array;
        return result;
    }
    if (type == VT_BSTR) return Variant::Text(Wide(value));
    if (type == VT_NULL) return Variant::Null();
    if (type == VT_R4 || type == VT_R8) return Variant::Real(type, std::stod(value));
    return type == VT_EMPTY ? Variant() : Variant::Number(type, std::stoll(value));
}

// "VT_I4 7", "VT_BSTR text", "VT_NULL", "VT_I4[0] 1 2".
std::string Shown(const VARIANT& value) {
    std::ostringstream out;
    const VARTYPE type = V_VT(&value) & VT_TYPEMASK;
    const auto known = std::find_if(std::begin(kVarTypes), std::end(kVarTypes),
                                    [&](const VarTypeName& t) { return t.type == type; });
    out << (known == std::end(kVarTypes) ? std::to_string(type) : std::string(known->name));
    if (V_VT(&value) & VT_ARRAY) {
        LONG lower = -1, upper = -2;
        ::SafeArrayGetLBound(V_ARRAY(&value), 1, &lower);
        ::SafeArrayGetUBound(V_ARRAY(&value), 1, &upper);
        out << "[" << lower << "]";
        for (LONG i = lower; i <= upper; ++i) {
            Variant element;
            V_VT(element.get()) = type;
            ::SafeArrayGetElement(V_ARRAY(&value), &i, &V_UI1(element.get()));
            const std::string shown = Shown(*element);
            out << shown.substr(shown.find(' '));
        }
    } else if (type == VT_BSTR) {
        out << " " << Narrow(TextOf(value).c_str());
    } else if (type == VT_R4 || type == VT_R8) {
        Variant real;
        ::VariantChangeType(real.get(), const_cast<VARIANT*>(&value), 0, VT_R8);
        out << " " << V_R8(real.get());
    } else if (type != VT_NULL && type != VT_EMPTY) {
        out << " " << NumberOf(value);
    }
    return out.str();
}

// The cases are tests/data/norvwmi/put_get.txt.
TEST(PutAndGet, TypesAcceptedValuesConvertedAndRangesKept) {
    auto instance = NewTestInstance("Sample");
    norv::test::ExpectCases("put_get.txt", [&](const std::string& input) {
        std::istringstream words(input);
        std::string property, type, value;
        words >> property;
        if (property == "accepts") {
            words >> property >> value;
            auto fresh = NewTestInstance("Sample");
            std::string accepted;
            for (std::size_t i = 0; i < 15; ++i) {
                const VARTYPE tried = kVarTypes[i].type;
                Variant one = tried == VT_BSTR
                                  ? Variant::Text(Wide(value))
                                  : Variant::Number(tried, tried == VT_BOOL ? VARIANT_TRUE : 1);
                const HRESULT put = Put(fresh.get(), Wide(property).c_str(), std::move(one));
                if (put == S_OK)
                    accepted += (accepted.empty() ? "" : " ") + std::string(kVarTypes[i].name);
                else
                    EXPECT_EQ(put, Wbem(WBEM_E_TYPE_MISMATCH)) << input << " " << kVarTypes[i].name;
            }
            return accepted;
        }
        std::string answer;
        if (words >> type >> value) {
            const HRESULT put = Put(instance.get(), Wide(property).c_str(), Make(type, value));
            answer = (put == S_OK ? std::string("ok")
                                  : std::string(NameOfStatus(static_cast<std::uint32_t>(put)))) +
                     " -> ";
        }
        return answer + Shown(*Got(instance.get(), Wide(property).c_str()));
    });
}

TEST(PutAndGet, NullPointerClearsFlavorsFollowPutsAndTheOtherCallsWmiRefuses) {
    auto instance = NewTestInstance("Sample");
    ASSERT_EQ(Put(instance.get(), L"U16", Variant::Number(VT_I4, 12)), WBEM_S_NO_ERROR);
    ASSERT_EQ(instance->Put(L"U16", 0, nullptr, 0), WBEM_S_NO_ERROR);  // a null pointer clears too
    EXPECT_EQ(Got(instance.get(), L"U16").type(), VT_NULL);
    Variant value = Variant::Number(VT_I4, 1);
    EXPECT_EQ(instance->Put(L"NoSuchProperty", 0, value.get(), 0), Wbem(WBEM_E_NOT_FOUND));
    EXPECT_EQ(instance->Put(L"__CLASS", 0, value.get(), 0), Wbem(WBEM_E_READ_ONLY));
    EXPECT_EQ(instance->Put(L"U16", 1, value.get(), 0), Wbem(WBEM_E_INVALID_PARAMETER));
    // The CIM type may be given, but only as the property's own.
    EXPECT_EQ(instance->Put(L"U16", 0, value.get(), CIM_UINT16), WBEM_S_NO_ERROR);
    EXPECT_EQ(instance->Put(L"U16", 0, value.get(), CIM_UINT32), Wbem(WBEM_E_TYPE_MISMATCH));

    // A failed Get leaves the outputs alone.
    Variant sentinel = Variant::Number(VT_I4, 0x5EED);
    CIMTYPE type = 0x5EED;
    LONG flavor = 0x5EED;
    EXPECT_EQ(instance->Get(L"NoSuchProperty", 0, sentinel.get(), &type, &flavor),
              Wbem(WBEM_E_NOT_FOUND));
    EXPECT_EQ(instance->Get(L"U8", 1, sentinel.get(), &type, &flavor),
              Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(NumberOf(*sentinel), 0x5EED);
    EXPECT_EQ(type, 0x5EED);
    EXPECT_EQ(flavor, 0x5EED);
    // A spawned instance's values are its class's (propagated) until it puts its own.
    EXPECT_EQ(instance->Get(L"Words", 0, nullptr, &type, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_UINT16 | CIM_FLAG_ARRAY);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_PROPAGATED);
    EXPECT_EQ(instance->Get(L"U16", 0, nullptr, nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_LOCAL);
    EXPECT_EQ(NumberOf(*Got(instance.get(), L"__GENUS")), WBEM_GENUS_INSTANCE);
}

TEST(GetMethod, TheOutSignatureIsAParameterClassWithReturnValue) {
    auto log = testing::TestClass("RecordLog");
    ComPtr<IWbemClassObject> in;
    ComPtr<IWbemClassObject> out;
    ASSERT_EQ(log->GetMethod(L"clearlog", 0, in.put(), out.put()), WBEM_S_NO_ERROR);
    EXPECT_FALSE(in);  // no in-parameters
    ASSERT_TRUE(out);
    EXPECT_EQ(TextOf(*Got(out.get(), L"__CLASS")), L"__PARAMETERS");
    CIMTYPE type = 0;
    ASSERT_EQ(out->Get(L"ReturnValue", 0, nullptr, &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_UINT32);
    EXPECT_EQ(log->GetMethod(L"Reset", 0, in.put(), out.put()), Wbem(WBEM_E_NOT_FOUND));
    auto instance = NewTestInstance("RecordLog");
    EXPECT_EQ(instance->GetMethod(L"ClearLog", 0, in.put(), out.put()),
              Wbem(WBEM_E_ILLEGAL_OPERATION));
}

HRESULT PutQualifier(IWbemQualifierSet* qualifiers, const wchar_t* name, const wchar_t* text) {
    return qualifiers->Put(name, Variant::Text(text).get(), 0);
}

// A class as a class provider defines it: derived from a stored class, named, given typed
// properties and qualifiers, which write through to it; a stored class refuses all of that.
TEST(SpawnDerivedClass, AClassBeingDefinedTakesANamePropertiesAndQualifiers) {
    const long before = LiveComObjects();
    {
        auto stored = testing::TestClass("Pair");
        ComPtr<IWbemClassObject> made;
        ASSERT_EQ(stored->SpawnDerivedClass(0, made.put()), WBEM_S_NO_ERROR);
        EXPECT_EQ(Put(stored.get(), L"__CLASS", Variant::Text(L"Made")), Wbem(WBEM_E_NOT_SUPPORTED));
        EXPECT_EQ(stored->Put(L"Extra", 0, nullptr, CIM_UINT32), Wbem(WBEM_E_NOT_SUPPORTED));
        ComPtr<IWbemQualifierSet> storedQualifiers;
        ASSERT_EQ(stored->GetQualifierSet(storedQualifiers.put()), WBEM_S_NO_ERROR);
        EXPECT_EQ(PutQualifier(storedQualifiers.get(), L"Description", L"d"),
                  Wbem(WBEM_E_NOT_SUPPORTED));
        ComPtr<IWbemClassObject> derivedAgain;
        EXPECT_EQ(NewTestInstance("Pair")->SpawnDerivedClass(0, derivedAgain.put()),
                  Wbem(WBEM_E_ILLEGAL_OPERATION));
        EXPECT_EQ(made->SpawnDerivedClass(0, derivedAgain.put()), Wbem(WBEM_E_ILLEGAL_OPERATION));

        EXPECT_EQ(Put(made.get(), L"__CLASS", Variant::Number(VT_I4, 1)),
                  Wbem(WBEM_E_TYPE_MISMATCH));
        EXPECT_EQ(Put(made.get(), L"__CLASS", Variant::Text(L"9Made")),
                  Wbem(WBEM_E_INVALID_PARAMETER));
        EXPECT_EQ(Put(made.get(), L"__CLASS", Variant::Text(L"Made")), WBEM_S_NO_ERROR);
        EXPECT_EQ(Put(made.get(), L"Extra", Variant::Number(VT_I4, 7)), Wbem(WBEM_E_TYPE_MISMATCH));
        EXPECT_EQ(made->Put(L"Extra", 0, nullptr, 0x7777), Wbem(WBEM_E_INVALID_PROPERTY_TYPE));
        EXPECT_EQ(made->Put(L"Extra", 0, Variant::Number(VT_I4, 7).get(), CIM_UINT32),
                  WBEM_S_NO_ERROR);
        // Once there, the property takes values by its type.
        EXPECT_EQ(Put(made.get(), L"Extra", Variant::Text(L"x")), Wbem(WBEM_E_TYPE_MISMATCH));
        EXPECT_EQ(made->Put(L"Names", 0, nullptr, CIM_STRING | CIM_FLAG_ARRAY), WBEM_S_NO_ERROR);

        ComPtr<IWbemQualifierSet> qualifiers;
        ASSERT_EQ(made->GetQualifierSet(qualifiers.put()), WBEM_S_NO_ERROR);
        EXPECT_EQ(PutQualifier(qualifiers.get(), L"Description", L"old"), WBEM_S_NO_ERROR);
        EXPECT_EQ(PutQualifier(qualifiers.get(), L"description", L"made"), WBEM_S_NO_ERROR);
        Variant description;
        EXPECT_EQ(qualifiers->Get(L"Description", 0, description.get(), nullptr), WBEM_S_NO_ERROR);
        EXPECT_EQ(TextOf(*description), L"made");
        ASSERT_EQ(made->GetPropertyQualifierSet(L"Extra", qualifiers.put()), WBEM_S_NO_ERROR);
        EXPECT_EQ(PutQualifier(qualifiers.get(), L"Units", L"RPM"), WBEM_S_NO_ERROR);
        EXPECT_EQ(PutQualifier(qualifiers.get(), L"CIMTYPE", L"string"), Wbem(WBEM_E_READ_ONLY));
        EXPECT_EQ(qualifiers->Put(L"Units", Variant::Text(L"RPM").get(), 0x4000),
                  Wbem(WBEM_E_INVALID_PARAMETER));

        BSTR text = nullptr;
        ASSERT_EQ(made->GetObjectText(0, &text), WBEM_S_NO_ERROR);
        EXPECT_EQ(std::wstring(text), L"[Description(\"made\")]\nclass Made : Pair\n{\n"
                                      L"\t[Units(\"RPM\")] uint32 Extra = 7;\n\tstring Names[];\n};\n");
        ::SysFreeString(text);
        ComPtr<IWbemClassObject> instance;
        ASSERT_EQ(made->SpawnInstance(0, instance.put()), WBEM_S_NO_ERROR);
        EXPECT_EQ(NumberOf(*Got(instance.get(), L"Extra")), 7);
    }
    EXPECT_EQ(LiveComObjects(), before);
}

}  // namespace
}  // namespace norvwmi
