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

TEST(GetNames, SystemPropertiesFirstThenPropertiesByName) {
    auto instance = NewTestInstance("Base");
    std::vector<std::wstring> all = kSystemNames;
    all.insert(all.end(), {L"Caption", L"Id"});
    EXPECT_EQ(Names(instance.get(), WBEM_FLAG_ALWAYS), all);
    EXPECT_EQ(Names(instance.get(), WBEM_FLAG_SYSTEM_ONLY), kSystemNames);
    EXPECT_EQ(Names(instance.get(), WBEM_FLAG_NONSYSTEM_ONLY),
              (std::vector<std::wstring>{L"Caption", L"Id"}));
    EXPECT_EQ(Names(instance.get(), WBEM_FLAG_KEYS_ONLY), std::vector<std::wstring>{L"Id"});
    EXPECT_EQ(Names(instance.get(), WBEM_FLAG_ONLY_IF_TRUE, L"KEY"),
              std::vector<std::wstring>{L"Id"});
    EXPECT_EQ(Names(instance.get(), WBEM_FLAG_ONLY_IF_FALSE, L"key"),
              std::vector<std::wstring>{L"Caption"});
    Variant yes = Variant::Number(VT_BOOL, VARIANT_TRUE);
    EXPECT_EQ(Names(instance.get(), WBEM_FLAG_ONLY_IF_IDENTICAL, L"key", yes.get()),
              std::vector<std::wstring>{L"Id"});

    auto sample = NewTestInstance("Sample");
    const std::vector<std::wstring> sampleNames{L"Bytes", L"Flag", L"Flags", L"Letter", L"Link",
                                                L"Name",  L"R32",  L"R64",   L"S16",    L"S32",
                                                L"S64",   L"S8",   L"Text",  L"Texts",  L"U16",
                                                L"U32",   L"U64",  L"U8",    L"When",   L"Words"};
    EXPECT_EQ(Names(sample.get(), WBEM_FLAG_NONSYSTEM_ONLY), sampleNames);
    EXPECT_EQ(Names(sample.get(), WBEM_FLAG_REFS_ONLY), std::vector<std::wstring>{L"Link"});
}

TEST(GetNames, LocalAndPropagatedFollowTheDeclaringClass) {
    auto derived = TestClass("Derived");
    EXPECT_EQ(Names(derived.get(), WBEM_FLAG_LOCAL_ONLY), std::vector<std::wstring>{L"Extra"});
    EXPECT_EQ(Names(derived.get(), WBEM_FLAG_PROPAGATED_ONLY),
              (std::vector<std::wstring>{L"Caption", L"Id"}));
    BSTR origin = nullptr;
    ASSERT_EQ(derived->GetPropertyOrigin(L"id", &origin), WBEM_S_NO_ERROR);
    EXPECT_STREQ(origin, L"Base");
    ::SysFreeString(origin);
    EXPECT_EQ(derived->GetPropertyOrigin(L"__CLASS", &origin), Wbem(WBEM_E_NOT_FOUND));
    EXPECT_EQ(derived->InheritsFrom(L"BASE"), WBEM_S_NO_ERROR);
    EXPECT_EQ(derived->InheritsFrom(L"Derived"), WBEM_S_FALSE);
    EXPECT_EQ(derived->InheritsFrom(nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
    LONG flavor = -1;
    ASSERT_EQ(derived->Get(L"Extra", 0, nullptr, nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_LOCAL);
    ASSERT_EQ(derived->Get(L"Caption", 0, nullptr, nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_PROPAGATED);
}

TEST(GetNames, RefusesInvalidFlagCombinations) {
    auto instance = NewTestInstance("Base");
    SAFEARRAY* names = nullptr;
    for (LONG flags : {WbemFlags(WBEM_FLAG_KEYS_ONLY, WBEM_FLAG_REFS_ONLY), 0x50L, 0x70L, 0x80L,
                       WbemFlags(WBEM_FLAG_ONLY_IF_TRUE), WbemFlags(WBEM_FLAG_ONLY_IF_IDENTICAL)}) {
        EXPECT_EQ(instance->GetNames(nullptr, flags, nullptr, &names),
                  Wbem(WBEM_E_INVALID_PARAMETER))
            << flags;
        EXPECT_EQ(names, nullptr);
    }
    EXPECT_EQ(instance->GetNames(nullptr, 0, nullptr, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
}

TEST(BeginEnumeration, WalksTheSelectedPropertiesWithValues) {
    auto instance = NewTestInstance("Derived");
    Variant id = Variant::Number(VT_I4, 12);
    ASSERT_EQ(instance->Put(L"Id", 0, id.get(), 0), WBEM_S_NO_ERROR);

    BSTR name = nullptr;
    EXPECT_EQ(instance->Next(0, &name, nullptr, nullptr, nullptr), Wbem(WBEM_E_UNEXPECTED));
    ASSERT_EQ(instance->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY), WBEM_S_NO_ERROR);
    EXPECT_EQ(instance->BeginEnumeration(0), Wbem(WBEM_E_UNEXPECTED));

    std::vector<std::wstring> seen;
    for (;;) {
        Variant value;
        CIMTYPE type = 0;
        LONG flavor = -1;
        const HRESULT hr = instance->Next(0, &name, value.get(), &type, &flavor);
        if (hr == WBEM_S_NO_MORE_DATA) break;
        ASSERT_EQ(hr, WBEM_S_NO_ERROR);
        seen.emplace_back(name);
        if (seen.back() == L"Id") {
            EXPECT_EQ(type, CIM_UINT32);
            EXPECT_EQ(value.type(), VT_I4);
            EXPECT_EQ(NumberOf(*value), 12);
            EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_LOCAL);
        }
        ::SysFreeString(name);
    }
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Caption", L"Extra", L"Id"}));
    EXPECT_EQ(instance->Next(0, &name, nullptr, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    EXPECT_EQ(instance->EndEnumeration(), WBEM_S_NO_ERROR);
    EXPECT_EQ(instance->Next(0, &name, nullptr, nullptr, nullptr), Wbem(WBEM_E_UNEXPECTED));

    ASSERT_EQ(instance->BeginEnumeration(WBEM_FLAG_KEYS_ONLY), WBEM_S_NO_ERROR);
    ASSERT_EQ(instance->Next(0, &name, nullptr, nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_STREQ(name, L"Id");
    ::SysFreeString(name);
    EXPECT_EQ(instance->Next(0, nullptr, nullptr, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    instance->EndEnumeration();
    EXPECT_EQ(instance->BeginEnumeration(WBEM_FLAG_ONLY_IF_TRUE), Wbem(WBEM_E_INVALID_PARAMETER));
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

TEST(Qualifiers, KeyAndCimTypeOfProperties) {
    auto sample = TestClass("Sample");
    ComPtr<IWbemQualifierSet> qualifiers;
    ASSERT_EQ(sample->GetPropertyQualifierSet(L"Name", qualifiers.put()), WBEM_S_NO_ERROR);
    Variant key;
    LONG flavor = -1;
    ASSERT_EQ(qualifiers->Get(L"KEY", 0, key.get(), &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(key.type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(key.get()), VARIANT_TRUE);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_LOCAL);
    Variant cimType;
    ASSERT_EQ(qualifiers->Get(L"CIMTYPE", 0, cimType.get(), nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(*cimType), L"string");

    ASSERT_EQ(sample->GetPropertyQualifierSet(L"Words", qualifiers.put()), WBEM_S_NO_ERROR);
    Variant sentinel = Variant::Number(VT_I4, 5);
    EXPECT_EQ(qualifiers->Get(L"key", 0, sentinel.get(), nullptr), Wbem(WBEM_E_NOT_FOUND));
    EXPECT_EQ(sentinel.type(), VT_I4);
    ASSERT_EQ(qualifiers->Get(L"CIMTYPE", 0, cimType.get(), nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(*cimType), L"uint16");
    EXPECT_EQ(qualifiers->Get(L"CIMTYPE", 1, cimType.get(), nullptr),
              Wbem(WBEM_E_INVALID_PARAMETER));

    EXPECT_EQ(sample->GetPropertyQualifierSet(L"__CLASS", qualifiers.put()),
              Wbem(WBEM_E_SYSTEM_PROPERTY));
    EXPECT_EQ(sample->GetPropertyQualifierSet(L"Nothing", qualifiers.put()),
              Wbem(WBEM_E_NOT_FOUND));

    auto instance = NewTestInstance("Base");
    ASSERT_EQ(instance->GetQualifierSet(qualifiers.put()), WBEM_S_NO_ERROR);
    ASSERT_EQ(qualifiers->Get(L"dynamic", 0, nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_PROPAGATED);
    SAFEARRAY* names = nullptr;
    ASSERT_EQ(qualifiers->GetNames(WBEM_FLAG_LOCAL_ONLY, &names), WBEM_S_NO_ERROR);
    EXPECT_EQ(names->rgsabound[0].cElements, 0u);
    ::SafeArrayDestroy(names);
    EXPECT_EQ(qualifiers->Put(L"new", key.get(), 0), Wbem(WBEM_E_NOT_SUPPORTED));
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

TEST(GetObjectText, InstanceAsMof) {
    auto base = NewTestInstance("Base");
    Variant id = Variant::Number(VT_I4, 5);
    ASSERT_EQ(base->Put(L"Id", 0, id.get(), 0), WBEM_S_NO_ERROR);
    PutText(base.get(), L"Caption", L"A \"B\"");
    BSTR text = nullptr;
    ASSERT_EQ(base->GetObjectText(0, &text), WBEM_S_NO_ERROR);
    EXPECT_STREQ(text, L"instance of Base\n{\n\tCaption = \"A \\\"B\\\"\";\n\tId = 5;\n};\n");
    ::SysFreeString(text);
    EXPECT_EQ(base->GetObjectText(2, &text), Wbem(WBEM_E_INVALID_PARAMETER));
}

TEST(CloneAndCompare, ACloneIsEqualAndIndependent) {
    auto original = NewTestInstance("Base");
    PutText(original.get(), L"Caption", L"same");
    ComPtr<IWbemClassObject> copy;
    ASSERT_EQ(original->Clone(copy.put()), WBEM_S_NO_ERROR);
    EXPECT_NE(copy.get(), original.get());
    EXPECT_EQ(original->CompareTo(0, copy.get()), WBEM_S_SAME);
    EXPECT_EQ(original->CompareTo(0, original.get()), WBEM_S_SAME);

    PutText(copy.get(), L"Caption", L"SAME");
    EXPECT_EQ(Text(original.get(), L"Caption"), L"same");
    EXPECT_EQ(original->CompareTo(0, copy.get()), WBEM_S_DIFFERENT);
    EXPECT_EQ(original->CompareTo(WBEM_FLAG_IGNORE_CASE, copy.get()), WBEM_S_SAME);

    auto otherClass = NewTestInstance("Pair");
    EXPECT_EQ(original->CompareTo(0, otherClass.get()), WBEM_S_DIFFERENT);
    EXPECT_EQ(original->CompareTo(0, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(original->CompareTo(0x1000, copy.get()), Wbem(WBEM_E_INVALID_PARAMETER));

    // Classes compare their defaults unless told not to.
    auto sampleClass = TestClass("Sample");
    ComPtr<IWbemClassObject> changed;
    ASSERT_EQ(sampleClass->Clone(changed.put()), WBEM_S_NO_ERROR);
    PutText(changed.get(), L"Text", L"other default");
    EXPECT_EQ(sampleClass->CompareTo(0, changed.get()), WBEM_S_DIFFERENT);
    EXPECT_EQ(sampleClass->CompareTo(WBEM_FLAG_IGNORE_DEFAULT_VALUES, changed.get()), WBEM_S_SAME);
    ComPtr<IWbemClassObject> spawned;
    ASSERT_EQ(changed->SpawnInstance(0, spawned.put()), WBEM_S_NO_ERROR);
    EXPECT_EQ(Text(spawned.get(), L"Text"), L"other default");
}

TEST(Delete, ResetsAnInstancePropertyToItsDefault) {
    auto instance = NewTestInstance("Sample");
    PutText(instance.get(), L"Text", L"changed");
    EXPECT_EQ(instance->Delete(L"Text"), WBEM_S_RESET_TO_DEFAULT);
    EXPECT_EQ(Text(instance.get(), L"Text"), L"dflt");
    EXPECT_EQ(instance->Delete(L"__PATH"), Wbem(WBEM_E_SYSTEM_PROPERTY));
    EXPECT_EQ(instance->Delete(L"Nothing"), Wbem(WBEM_E_NOT_FOUND));
    EXPECT_EQ(TestClass("Sample")->Delete(L"Text"), Wbem(WBEM_E_NOT_SUPPORTED));
}

TEST(ClassObject, UnsupportedMethodsSaySo) {
    auto sample = TestClass("Sample");
    ComPtr<IWbemClassObject> unused;
    EXPECT_EQ(sample->SpawnDerivedClass(0, unused.put()), Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(sample->PutMethod(L"M", 0, nullptr, nullptr), Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(sample->DeleteMethod(L"M"), Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(sample->BeginMethodEnumeration(0), Wbem(WBEM_E_NOT_SUPPORTED));
    Variant value = Variant::Text(L"NewClass");
    EXPECT_EQ(sample->Put(L"__CLASS", 0, value.get(), 0), Wbem(WBEM_E_NOT_SUPPORTED));
    EXPECT_EQ(sample->Put(L"NewProperty", 0, value.get(), 0), Wbem(WBEM_E_NOT_SUPPORTED));
}

}  // namespace
}  // namespace norvwmi
