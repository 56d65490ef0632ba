// IWbemClassObject as WMI's: which VARIANT types each CIM type accepts in Put, the ranges,
// the VARIANT type Get hands back; spawned defaults, relative paths and method signatures.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "com/class_object.h"
#include "com/wbem_status.h"
#include "test_namespace.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using testing::NewTestInstance;
using testing::NumberOf;
using testing::TextOf;
using testing::Variant;

std::string Narrow(const wchar_t* text) {
    return std::string(text, text + wcslen(text));
}

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

TEST(PutAcceptance, EachCimTypeTakesItsVariantTypes) {
    const VARTYPE tried[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4,   VT_UI4,  VT_INT, VT_UINT,
                             VT_I8, VT_UI8, VT_R4, VT_R8,  VT_BOOL, VT_BSTR, VT_CY};
    struct Row {
        const wchar_t* property;
        const wchar_t* text;  // a valid text for VT_BSTR
        std::vector<VARTYPE> accepted;
    };
    const std::vector<VARTYPE> integers{VT_I1,  VT_UI1, VT_I2,   VT_UI2, VT_I4,
                                        VT_UI4, VT_INT, VT_UINT, VT_R4,  VT_R8};
    std::vector<VARTYPE> integersOrText = integers;
    integersOrText.push_back(VT_BSTR);
    const Row rows[] = {
        {L"U8", L"1", integers},
        {L"S16", L"1", integers},
        {L"S32", L"1", integers},
        // WMI documents VT_I2 as refused by uint32.
        {L"U32", L"1", {VT_UI1, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT, VT_R4, VT_R8}},
        {L"S64", L"1", integersOrText},
        {L"U64", L"1", integersOrText},
        {L"R32", L"1", integers},
        {L"Flag", L"1", {VT_BOOL}},
        {L"Text", L"text", {VT_BSTR}},
        {L"When", L"20240229235959.999999+060", {VT_BSTR}},
        {L"Link", L"Sample.Name=\"x\"", {VT_BSTR}},
        {L"Letter", L"1", {VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT}},
    };
    auto instance = NewTestInstance("Sample");
    for (const Row& row : rows) {
        for (VARTYPE type : tried) {
            Variant value = type == VT_BSTR   ? Variant::Text(row.text)
                            : type == VT_BOOL ? Variant::Number(VT_BOOL, VARIANT_TRUE)
                                              : Variant::Number(type, 1);
            const bool accepted = std::count(row.accepted.begin(), row.accepted.end(), type);
            EXPECT_EQ(Put(instance.get(), row.property, std::move(value)),
                      accepted ? Wbem(WBEM_S_NO_ERROR) : Wbem(WBEM_E_TYPE_MISMATCH))
                << Narrow(row.property) << ", VARTYPE " << type;
        }
    }
}

TEST(PutThenGet, ValuesComeBackInTheCimTypesOwnVariantType) {
    struct Row {
        const wchar_t* property;
        VARTYPE putType;
        std::int64_t value;
        VARTYPE gotType;
        std::int64_t got;
    };
    const Row rows[] = {
        {L"U8", VT_UI1, 200, VT_UI1, 200},
        {L"S8", VT_I1, -1, VT_I2, -1},
        {L"U16", VT_UI2, 40000, VT_I4, 40000},
        {L"S32", VT_I4, -2147483648LL, VT_I4, -2147483648LL},
        {L"U32", VT_UI4, 4294967295LL, VT_I4, -1},  // VT_I4 carries uint32's bits
        {L"Letter", VT_I4, 65, VT_I2, 65},
        {L"Flag", VT_BOOL, 2, VT_BOOL, VARIANT_TRUE},  // any non-zero is true
        {L"Flag", VT_BOOL, VARIANT_FALSE, VT_BOOL, VARIANT_FALSE},
        {L"R32", VT_R8, 2, VT_R4, 2},
        {L"R64", VT_I4, -3, VT_R8, -3},
    };
    auto instance = NewTestInstance("Sample");
    for (const Row& row : rows) {
        ASSERT_EQ(Put(instance.get(), row.property, Variant::Number(row.putType, row.value)),
                  WBEM_S_NO_ERROR)
            << Narrow(row.property);
        const Variant got = Got(instance.get(), row.property);
        EXPECT_EQ(got.type(), row.gotType) << Narrow(row.property);
        EXPECT_EQ(NumberOf(*got), row.got) << Narrow(row.property);
    }
    // 64-bit integers come back as decimal text.
    ASSERT_EQ(Put(instance.get(), L"U64", Variant::Text(L"18446744073709551615")), S_OK);
    EXPECT_EQ(TextOf(*Got(instance.get(), L"U64")), L"18446744073709551615");
    ASSERT_EQ(Put(instance.get(), L"U64", Variant::Number(VT_UI4, 4294967295LL)), S_OK);
    EXPECT_EQ(TextOf(*Got(instance.get(), L"U64")), L"4294967295");
    ASSERT_EQ(Put(instance.get(), L"S64", Variant::Text(L"-9223372036854775808")), S_OK);
    EXPECT_EQ(TextOf(*Got(instance.get(), L"S64")), L"-9223372036854775808");
    ASSERT_EQ(Put(instance.get(), L"S64", Variant::Real(VT_R8, 4.0)), S_OK);
    EXPECT_EQ(TextOf(*Got(instance.get(), L"S64")), L"4");
}

TEST(PutRefuses, ValuesOutOfTheTypesRangeAndLeavesTheValueAlone) {
    auto instance = NewTestInstance("Sample");
    ASSERT_EQ(Put(instance.get(), L"U8", Variant::Number(VT_UI1, 9)), WBEM_S_NO_ERROR);
    struct Row {
        const wchar_t* property;
        Variant value;
    };
    Row rows[] = {
        {L"U8", Variant::Number(VT_I4, 256)},
        {L"S8", Variant::Number(VT_UI1, 200)},
        {L"U16", Variant::Number(VT_I4, -1)},
        {L"S32", Variant::Number(VT_UI4, 2147483648LL)},
        {L"U32", Variant::Real(VT_R8, 1.5)},
        {L"U64", Variant::Number(VT_I4, -1)},
        {L"U64", Variant::Text(L"18446744073709551616")},
        {L"S64", Variant::Text(L"9223372036854775808")},
        {L"R32", Variant::Real(VT_R8, 1e39)},
        {L"Letter", Variant::Number(VT_I4, 65536)},
        {L"When", Variant::Text(L"20070102103000.000000-30")},
        {L"When", Variant::Text(L"20070102103000.000000:300")},
    };
    for (Row& row : rows)
        EXPECT_EQ(Put(instance.get(), row.property, std::move(row.value)),
                  Wbem(WBEM_E_TYPE_MISMATCH))
            << Narrow(row.property);
    EXPECT_EQ(NumberOf(*Got(instance.get(), L"U8")), 9);
    for (const wchar_t* when : {L"00000001020304.000000:000", L"2007****103000.******+***"})
        EXPECT_EQ(Put(instance.get(), L"When", Variant::Text(when)), WBEM_S_NO_ERROR);
}

TEST(PutArrays, AcceptArraysOfAcceptedElementTypesAndComeBackWithLowerBoundZero) {
    auto instance = NewTestInstance("Sample");
    ASSERT_EQ(Put(instance.get(), L"Texts", Variant::Texts({L"Normal", L"Upper"})), S_OK);
    CIMTYPE type = 0;
    const Variant texts = Got(instance.get(), L"Texts", &type);
    EXPECT_EQ(texts.type(), VT_ARRAY | VT_BSTR);
    EXPECT_EQ(type, CIM_STRING | CIM_FLAG_ARRAY);
    EXPECT_EQ(testing::TextsOf(*texts), (std::vector<std::wstring>{L"Normal", L"Upper"}));
    ASSERT_EQ(Put(instance.get(), L"Words", Variant::Numbers(VT_I4, {0, 65535, 3}, 5)), S_OK);
    const Variant words = Got(instance.get(), L"Words");
    EXPECT_EQ(words.type(), VT_ARRAY | VT_I4);
    EXPECT_EQ(testing::LowerBoundOf(*words), 0);
    EXPECT_EQ(testing::NumbersOf(*words), (std::vector<std::int64_t>{0, 65535, 3}));
    // An empty array need not name its element type.
    ASSERT_EQ(Put(instance.get(), L"Words", Variant::Numbers(VT_VARIANT, {})), S_OK);
    const Variant empty = Got(instance.get(), L"Words");
    EXPECT_EQ(empty.type(), VT_ARRAY | VT_I4);
    EXPECT_TRUE(testing::NumbersOf(*empty).empty());
}

TEST(PutAndGet, NullClearsAndTheOtherCallsWmiRefuses) {
    auto instance = NewTestInstance("Sample");
    for (int how = 0; how < 3; ++how) {
        ASSERT_EQ(Put(instance.get(), L"U16", Variant::Number(VT_I4, 12)), WBEM_S_NO_ERROR);
        Variant null = how == 0 ? Variant::Null() : Variant();
        ASSERT_EQ(instance->Put(L"U16", 0, how == 2 ? nullptr : null.get(), 0), WBEM_S_NO_ERROR);
        EXPECT_EQ(Got(instance.get(), L"U16").type(), VT_NULL) << how;
    }
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
    EXPECT_EQ(instance->Get(L"Words", 0, nullptr, &type, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_UINT16 | CIM_FLAG_ARRAY);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_PROPAGATED);
}

TEST(SpawnInstance, GivesDefaultsAsPropagatedValuesAndAPathOnceKeysAreSet) {
    auto instance = NewTestInstance("Sample");
    LONG flavor = -1;
    Variant u16;
    ASSERT_EQ(instance->Get(L"U16", 0, u16.get(), nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(u16.type(), VT_I4);
    EXPECT_EQ(NumberOf(*u16), 7);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_PROPAGATED);
    EXPECT_EQ(TextOf(*Got(instance.get(), L"Text")), L"dflt");
    EXPECT_EQ(Got(instance.get(), L"U8").type(), VT_NULL);
    ASSERT_EQ(Put(instance.get(), L"Text", Variant::Text(L"mine")), WBEM_S_NO_ERROR);
    ASSERT_EQ(instance->Get(L"Text", 0, nullptr, nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_LOCAL);
    EXPECT_EQ(NumberOf(*Got(instance.get(), L"__GENUS")), WBEM_GENUS_INSTANCE);

    auto pair = NewTestInstance("Pair");
    EXPECT_EQ(Got(pair.get(), L"__RELPATH").type(), VT_NULL);  // keys not set
    ASSERT_EQ(Put(pair.get(), L"Left", Variant::Text(L"x \"y\" \\z")), WBEM_S_NO_ERROR);
    ASSERT_EQ(Put(pair.get(), L"Right", Variant::Number(VT_I4, -12)), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(*Got(pair.get(), L"__RELPATH")), L"Pair.Left=\"x \\\"y\\\" \\\\z\",Right=-12");
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

}  // namespace
}  // namespace norvwmi
