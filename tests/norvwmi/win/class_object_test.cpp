// IWbemClassObject as WMI's: which VARIANT types each CIM type accepts in Put, the ranges,
// the VARIANT type Get hands back; spawned defaults, relative paths and method signatures.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "com/class_object.h"
#include "com/wbem_status.h"
#include "test_namespace.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using testing::NewTestInstance;
using testing::TestClass;
using testing::NumberOf;
using testing::TextOf;
using testing::Variant;

// A value of VARIANT type `type` that every accepting property can hold: 1, or for
// text the property's own valid text.
Variant One(VARTYPE type, const std::wstring& text) {
    switch (type) {
        case VT_BSTR:
            return Variant::Text(text);
        case VT_R4:
        case VT_R8:
            return Variant::Real(type, 1.0);
        case VT_BOOL:
            return Variant::Number(VT_BOOL, VARIANT_TRUE);
        default:
            return Variant::Number(type, 1);
    }
}

TEST(PutAcceptance, EachCimTypeTakesItsVariantTypes) {
    constexpr std::array<VARTYPE, 15> kTried{VT_I1,  VT_UI1, VT_I2,   VT_UI2,  VT_I4,
                                             VT_UI4, VT_INT, VT_UINT, VT_I8,   VT_UI8,
                                             VT_R4,  VT_R8,  VT_BOOL, VT_BSTR, VT_CY};
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
        {L"S8", L"1", integers},
        {L"S16", L"1", integers},
        {L"U16", L"1", integers},
        {L"S32", L"1", integers},
        // WMI documents VT_I2 as refused by uint32.
        {L"U32", L"1", {VT_UI1, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT, VT_R4, VT_R8}},
        {L"S64", L"1", integersOrText},
        {L"U64", L"1", integersOrText},
        {L"R32", L"1", integers},
        {L"R64", L"1", integers},
        {L"Flag", L"1", {VT_BOOL}},
        {L"Text", L"text", {VT_BSTR}},
        {L"When", L"20240229235959.999999+060", {VT_BSTR}},
        {L"Link", L"Sample.Name=\"x\"", {VT_BSTR}},
        {L"Letter", L"1", {VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT}},
    };
    auto instance = NewTestInstance("Sample");
    for (const Row& row : rows) {
        for (VARTYPE type : kTried) {
            Variant value = One(type, row.text);
            const bool accepted =
                std::find(row.accepted.begin(), row.accepted.end(), type) != row.accepted.end();
            EXPECT_EQ(instance->Put(row.property, 0, value.get(), 0),
                      accepted ? Wbem(WBEM_S_NO_ERROR) : Wbem(WBEM_E_TYPE_MISMATCH))
                << "property " << std::string(row.property, row.property + wcslen(row.property))
                << ", VARTYPE " << type;
        }
    }
}

struct RoundTrip {
    const wchar_t* property;
    VARTYPE putType;
    std::int64_t value;
    VARTYPE gotType;
    std::int64_t got;
};

TEST(PutThenGet, IntegersComeBackInTheCimTypesOwnVariantType) {
    const RoundTrip rows[] = {
        {L"U8", VT_UI1, 200, VT_UI1, 200},
        {L"S8", VT_I1, -1, VT_I2, -1},
        {L"U16", VT_UI2, 40000, VT_I4, 40000},
        {L"S32", VT_I4, -2147483648LL, VT_I4, -2147483648LL},
        {L"U32", VT_I4, -1, VT_I4, -1},  // VT_I4 carries uint32's bits
        {L"U32", VT_UI4, 4294967295LL, VT_I4, -1},
        {L"Letter", VT_I4, 65, VT_I2, 65},
        {L"Flag", VT_BOOL, 2, VT_BOOL, VARIANT_TRUE},  // any non-zero is true
        {L"Flag", VT_BOOL, VARIANT_FALSE, VT_BOOL, VARIANT_FALSE},
    };
    auto instance = NewTestInstance("Sample");
    for (const RoundTrip& row : rows) {
        Variant value = Variant::Number(row.putType, row.value);
        ASSERT_EQ(instance->Put(row.property, 0, value.get(), 0), WBEM_S_NO_ERROR)
            << row.value << " as " << row.putType;
        Variant got;
        CIMTYPE type = 0;
        ASSERT_EQ(instance->Get(row.property, 0, got.get(), &type, nullptr), WBEM_S_NO_ERROR);
        EXPECT_EQ(got.type(), row.gotType) << row.value;
        EXPECT_EQ(NumberOf(*got), row.got) << row.value;
    }
}

TEST(PutThenGet, SixtyFourBitIntegersComeBackAsDecimalText) {
    struct Row {
        const wchar_t* property;
        Variant value;
        const wchar_t* got;
    };
    Row rows[] = {
        {L"U64", Variant::Text(L"18446744073709551615"), L"18446744073709551615"},
        {L"U64", Variant::Number(VT_UI4, 4294967295LL), L"4294967295"},
        {L"S64", Variant::Text(L"-9223372036854775808"), L"-9223372036854775808"},
        {L"S64", Variant::Real(VT_R8, 4.0), L"4"},
    };
    auto instance = NewTestInstance("Sample");
    for (Row& row : rows) {
        ASSERT_EQ(instance->Put(row.property, 0, row.value.get(), 0), WBEM_S_NO_ERROR);
        Variant got;
        ASSERT_EQ(instance->Get(row.property, 0, got.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
        EXPECT_EQ(got.type(), VT_BSTR);
        EXPECT_EQ(TextOf(*got), row.got);
    }
}

TEST(PutThenGet, RealsTextAndDateTimes) {
    auto instance = NewTestInstance("Sample");
    Variant real = Variant::Real(VT_R8, 1.5);
    ASSERT_EQ(instance->Put(L"R32", 0, real.get(), 0), WBEM_S_NO_ERROR);
    Variant got;
    ASSERT_EQ(instance->Get(L"R32", 0, got.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(got.type(), VT_R4);
    EXPECT_EQ(V_R4(got.get()), 1.5f);

    Variant whole = Variant::Number(VT_I4, -3);
    ASSERT_EQ(instance->Put(L"R64", 0, whole.get(), 0), WBEM_S_NO_ERROR);
    Variant gotReal;
    ASSERT_EQ(instance->Get(L"R64", 0, gotReal.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(gotReal.type(), VT_R8);
    EXPECT_EQ(V_R8(gotReal.get()), -3.0);

    for (const wchar_t* accepted : {L"20070102103000.000000-300", L"00000001020304.000000:000",
                                    L"2007****103000.******+***"}) {
        Variant when = Variant::Text(accepted);
        EXPECT_EQ(instance->Put(L"When", 0, when.get(), 0), WBEM_S_NO_ERROR);
    }
    for (const wchar_t* refused :
         {L"20070102103000.000000-30", L"20070102103000.000000:300", L""}) {
        Variant when = Variant::Text(refused);
        EXPECT_EQ(instance->Put(L"When", 0, when.get(), 0), Wbem(WBEM_E_TYPE_MISMATCH));
    }
}

TEST(PutRefuses, ValuesOutOfTheTypesRange) {
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
        {L"U64", Variant::Text(L"-1")},
        {L"U64", Variant::Text(L"18446744073709551616")},
        {L"S64", Variant::Text(L"9223372036854775808")},
        {L"R32", Variant::Real(VT_R8, 1e39)},
        {L"Letter", Variant::Number(VT_I4, 65536)},
    };
    auto instance = NewTestInstance("Sample");
    for (Row& row : rows)
        EXPECT_EQ(instance->Put(row.property, 0, row.value.get(), 0), Wbem(WBEM_E_TYPE_MISMATCH))
            << std::string(row.property, row.property + wcslen(row.property));
    // A refused Put leaves the value alone.
    Variant u8 = Variant::Number(VT_UI1, 9);
    ASSERT_EQ(instance->Put(L"U8", 0, u8.get(), 0), WBEM_S_NO_ERROR);
    Variant tooBig = Variant::Number(VT_I4, 300);
    ASSERT_EQ(instance->Put(L"U8", 0, tooBig.get(), 0), Wbem(WBEM_E_TYPE_MISMATCH));
    Variant got;
    ASSERT_EQ(instance->Get(L"U8", 0, got.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(NumberOf(*got), 9);
}

TEST(PutArrays, AcceptArraysOfAcceptedElementTypesAndComeBackWithLowerBoundZero) {
    auto instance = NewTestInstance("Sample");
    Variant texts = Variant::Texts({L"Normal", L"Upper Critical"});
    ASSERT_EQ(instance->Put(L"Texts", 0, texts.get(), 0), WBEM_S_NO_ERROR);
    Variant gotTexts;
    CIMTYPE type = 0;
    ASSERT_EQ(instance->Get(L"Texts", 0, gotTexts.get(), &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(gotTexts.type(), VT_ARRAY | VT_BSTR);
    EXPECT_EQ(type, CIM_STRING | CIM_FLAG_ARRAY);
    EXPECT_EQ(testing::TextsOf(*gotTexts),
              (std::vector<std::wstring>{L"Normal", L"Upper Critical"}));

    Variant words = Variant::Numbers(VT_I4, {0, 65535, 3}, 5);
    ASSERT_EQ(instance->Put(L"Words", 0, words.get(), 0), WBEM_S_NO_ERROR);
    Variant gotWords;
    ASSERT_EQ(instance->Get(L"Words", 0, gotWords.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(gotWords.type(), VT_ARRAY | VT_I4);
    EXPECT_EQ(testing::LowerBoundOf(*gotWords), 0);
    EXPECT_EQ(testing::NumbersOf(*gotWords), (std::vector<std::int64_t>{0, 65535, 3}));

    // An empty array need not name its element type.
    Variant empty = Variant::Numbers(VT_VARIANT, {});
    ASSERT_EQ(instance->Put(L"Words", 0, empty.get(), 0), WBEM_S_NO_ERROR);
    Variant gotEmpty;
    ASSERT_EQ(instance->Get(L"Words", 0, gotEmpty.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(gotEmpty.type(), VT_ARRAY | VT_I4);
    EXPECT_TRUE(testing::NumbersOf(*gotEmpty).empty());
}

TEST(Put, NullClearsAndUndeclaredPropertiesAreNotFound) {
    auto instance = NewTestInstance("Sample");
    for (int how = 0; how < 3; ++how) {
        Variant value = Variant::Number(VT_I4, 12);
        ASSERT_EQ(instance->Put(L"U16", 0, value.get(), 0), WBEM_S_NO_ERROR);
        Variant null = how == 0 ? Variant::Null() : Variant();
        ASSERT_EQ(instance->Put(L"U16", 0, how == 2 ? nullptr : null.get(), 0), WBEM_S_NO_ERROR);
        Variant got;
        ASSERT_EQ(instance->Get(L"U16", 0, got.get(), nullptr, nullptr), WBEM_S_NO_ERROR);
        EXPECT_EQ(got.type(), VT_NULL) << how;
    }
    Variant value = Variant::Number(VT_I4, 1);
    EXPECT_EQ(instance->Put(L"NoSuchProperty", 0, value.get(), 0), Wbem(WBEM_E_NOT_FOUND));
    EXPECT_EQ(instance->Put(L"__CLASS", 0, value.get(), 0), Wbem(WBEM_E_READ_ONLY));
    EXPECT_EQ(instance->Put(L"U16", 1, value.get(), 0), Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(instance->Put(nullptr, 0, value.get(), 0), Wbem(WBEM_E_INVALID_PARAMETER));
    // The CIM type may be given, but only as the property's own.
    EXPECT_EQ(instance->Put(L"U16", 0, value.get(), CIM_UINT16), WBEM_S_NO_ERROR);
    EXPECT_EQ(instance->Put(L"U16", 0, value.get(), CIM_UINT32), Wbem(WBEM_E_TYPE_MISMATCH));
    Variant big = Variant::Text(L"1033");
    EXPECT_EQ(instance->Put(L"U64", 0, big.get(), CIM_UINT64), WBEM_S_NO_ERROR);
}

TEST(Get, FailsWithoutTouchingTheOutputs) {
    auto instance = NewTestInstance("Sample");
    Variant sentinel = Variant::Number(VT_I4, 0x5EED);
    CIMTYPE type = 0x5EED;
    LONG flavor = 0x5EED;
    EXPECT_EQ(instance->Get(L"NoSuchProperty", 0, sentinel.get(), &type, &flavor),
              Wbem(WBEM_E_NOT_FOUND));
    EXPECT_EQ(instance->Get(L"U8", 1, sentinel.get(), &type, &flavor),
              Wbem(WBEM_E_INVALID_PARAMETER));
    EXPECT_EQ(sentinel.type(), VT_I4);
    EXPECT_EQ(NumberOf(*sentinel), 0x5EED);
    EXPECT_EQ(type, 0x5EED);
    EXPECT_EQ(flavor, 0x5EED);
    // Type and flavor alone, without the value.
    EXPECT_EQ(instance->Get(L"Words", 0, nullptr, &type, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_UINT16 | CIM_FLAG_ARRAY);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_PROPAGATED);
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

    EXPECT_EQ(log->GetMethod(L"Reset", 0, in.put(), out.put()), Wbem(WBEM_E_NOT_FOUND));
    auto instance = NewTestInstance("RecordLog");
    EXPECT_EQ(instance->GetMethod(L"ClearLog", 0, in.put(), out.put()),
              Wbem(WBEM_E_ILLEGAL_OPERATION));
}

}  // namespace
}  // namespace norvwmi
