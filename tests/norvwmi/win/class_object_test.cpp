// IWbemClassObject beyond Put and Get: spawning, names and enumeration, system
// properties, qualifiers, methods, text, copies and comparisons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/class_object.h"
#include "com/wbem_status.h"
#include "test_namespace.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using testing::NewTestInstance;
using testing::NumberOf;
using testing::TestClass;
using testing::TextOf;
using testing::Variant;

std::vector<std::wstring> Names(IWbemClassObject* object, LONG flags,
                                const wchar_t* qualifier = nullptr, VARIANT* value = nullptr) {
    SAFEARRAY* names = nullptr;
    EXPECT_EQ(object->GetNames(qualifier, flags, value, &names), WBEM_S_NO_ERROR);
    Variant holder;
    V_VT(holder.get()) = VT_ARRAY | VT_BSTR;
    V_ARRAY(holder.get()) = names;
    return testing::TextsOf(*holder);
}

std::wstring Text(IWbemClassObject* object, const wchar_t* property) {
    Variant value;
    EXPECT_EQ(object->Get(property, 0, value.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    return TextOf(*value);
}

void PutText(IWbemClassObject* object, const wchar_t* property, const wchar_t* text) {
    Variant value = Variant::Text(text);
    ASSERT_EQ(object->Put(property, 0, value.get(), 0), WBEM_S_NO_ERROR);
}

const std::vector<std::wstring> kSystemNames{
    L"__GENUS",          L"__CLASS",      L"__SUPERCLASS", L"__DYNASTY",   L"__RELPATH",
    L"__PROPERTY_COUNT", L"__DERIVATION", L"__SERVER",     L"__NAMESPACE", L"__PATH"};

TEST(SpawnInstance, GivesTheClassDefaultsAsPropagatedValues) {
    auto sampleClass = TestClass("Sample");
    ComPtr<IWbemClassObject> instance;
    ASSERT_EQ(sampleClass->SpawnInstance(0, instance.put()), WBEM_S_NO_ERROR);
    Variant u16;
    LONG flavor = -1;
    ASSERT_EQ(instance->Get(L"U16", 0, u16.get(), nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(u16.type(), VT_I4);
    EXPECT_EQ(NumberOf(*u16), 7);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_PROPAGATED);
    EXPECT_EQ(Text(instance.get(), L"Text"), L"dflt");
    Variant u8;
    ASSERT_EQ(instance->Get(L"U8", 0, u8.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(u8.type(), VT_NULL);

    PutText(instance.get(), L"Text", L"mine");
    ASSERT_EQ(instance->Get(L"Text", 0, nullptr, nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_LOCAL);

    Variant genus;
    ASSERT_EQ(instance->Get(L"__GENUS", 0, genus.get(), nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(NumberOf(*genus), WBEM_GENUS_INSTANCE);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_SYSTEM);
    ASSERT_EQ(sampleClass->Get(L"__GENUS", 0, genus.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(NumberOf(*genus), WBEM_GENUS_CLASS);

    EXPECT_EQ(sampleClass->SpawnInstance(1, instance.put()), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(sampleClass->SpawnInstance(0, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
}

TEST(SystemProperties, RelativePathOrdersKeysByNameAndQuotesText) {
    auto pair = NewTestInstance("Pair");
    Variant relpath;
    ASSERT_EQ(pair->Get(L"__RELPATH", 0, relpath.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(relpath.type(), VT_NULL);  // keys not set
    PutText(pair.get(), L"Left", L"x \"y\" \\z");
    Variant right = Variant::Number(VT_I4, -12);
    ASSERT_EQ(pair->Put(L"Right", 0, right.get(), 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Text(pair.get(), L"__RELPATH"), L"Pair.Left=\"x \\\"y\\\" \\\\z\",Right=-12");

    Variant derivation;
    CIMTYPE type = 0;
    auto derived = NewTestInstance("Derived");
    ASSERT_EQ(derived->Get(L"__DERIVATION", 0, derivation.get(), &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_STRING | CIM_FLAG_ARRAY);
    EXPECT_EQ(testing::TextsOf(*derivation), std::vector<std::wstring>{L"Base"});
    EXPECT_EQ(Text(derived.get(), L"__SUPERCLASS"), L"Base");
    EXPECT_EQ(Text(derived.get(), L"__DYNASTY"), L"Base");
    Variant count;
    ASSERT_EQ(derived->Get(L"__PROPERTY_COUNT", 0, count.get(), &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_SINT32);
    EXPECT_EQ(NumberOf(*count), 3);

    auto base = TestClass("Base");
    EXPECT_EQ(Text(base.get(), L"__PATH"), L"\\\\TESTHOST\\root\\test:Base");
    Variant none;
    ASSERT_EQ(base->Get(L"__SUPERCLASS", 0, none.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(none.type(), VT_NULL);
}

TEST(GetMethod, SignaturesAreParameterClassesWithReturnValue) {
    auto log = TestClass("RecordLog");
    ComPtr<IWbemClassObject> in;
    ComPtr<IWbemClassObject> out;
    ASSERT_EQ(log->GetMethod(L"clearlog", 0, in.put(), out.put()), WBEM_S_NO_ERROR);
    EXPECT_FALSE(in);  // no in-parameters
    ASSERT_TRUE(out);
    EXPECT_EQ(Text(out.get(), L"__CLASS"), L"__PARAMETERS");
    CIMTYPE type = 0;
    ASSERT_EQ(out->Get(L"ReturnValue", 0, nullptr, &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_UINT32);
    ComPtr<IWbemClassObject> result;
    ASSERT_EQ(out->SpawnInstance(0, result.put()), WBEM_S_NO_ERROR);
    Variant zero = Variant::Number(VT_I4, 0);
    EXPECT_EQ(result->Put(L"ReturnValue", 0, zero.get(), 0), WBEM_S_NO_ERROR);

    ASSERT_EQ(log->GetMethod(L"Rename", 0, in.put(), out.put()), WBEM_S_NO_ERROR);
    ASSERT_TRUE(in);
    EXPECT_EQ(Names(in.get(), WBEM_FLAG_NONSYSTEM_ONLY), std::vector<std::wstring>{L"NewName"});
    EXPECT_EQ(Names(out.get(), WBEM_FLAG_NONSYSTEM_ONLY),
              (std::vector<std::wstring>{L"OldName", L"ReturnValue"}));

    EXPECT_EQ(log->GetMethod(L"Reset", 0, in.put(), out.put()), Wbem(WBEM_E_NOT_FOUND));
    auto instance = NewTestInstance("RecordLog");
    EXPECT_EQ(instance->GetMethod(L"ClearLog", 0, in.put(), out.put()),
              Wbem(WBEM_E_ILLEGAL_OPERATION));
    ComPtr<IWbemQualifierSet> qualifiers;
    ASSERT_EQ(log->GetMethodQualifierSet(L"ClearLog", qualifiers.put()), WBEM_S_NO_ERROR);
    EXPECT_EQ(qualifiers->Get(L"Implemented", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
}

}  // namespace
}  // namespace norvwmi
