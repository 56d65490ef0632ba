#include "host/coclass_type_info.h"

#include <gtest/gtest.h>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "host/type_library_registration.h"
#include "host_test_support.h"

namespace norv::win {
namespace {

const GUID kComputerSystemClsid = GuidOf(IdentityOf(ProviderClass::ComputerSystem).clsid);

// Registers the built module's type library for the life of the fixture.
class CoclassTypeInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_);
        UnregisterModuleTypeLibrary(module_.get());
    }
    void TearDown() override { UnregisterModuleTypeLibrary(module_.get()); }

    test::UniqueModule module_ = test::LoadModuleUnderTest();
};

TEST_F(CoclassTypeInfoTest, ANullOutPointerIsRefused) {
    CoclassTypeInfo holder(kComputerSystemClsid);
    EXPECT_EQ(holder.Get(nullptr), E_POINTER);
}

TEST_F(CoclassTypeInfoTest, AnUnregisteredLibraryGivesTheLoadersError) {
    CoclassTypeInfo holder(kComputerSystemClsid);
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(holder.Get(info.put()), TYPE_E_LIBNOTREGISTERED);
    EXPECT_FALSE(info);
}

TEST_F(CoclassTypeInfoTest, DescribesTheClassesCoclassAndKeepsIt) {
    ASSERT_EQ(RegisterModuleTypeLibrary(module_.get()), S_OK);
    CoclassTypeInfo holder(kComputerSystemClsid);
    ComPtr<ITypeInfo> first;
    ASSERT_EQ(holder.Get(first.put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(first->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kComputerSystemClsid));
    first->ReleaseTypeAttr(attributes);
    BSTR rawName = nullptr;
    ASSERT_EQ(first->GetDocumentation(MEMBERID_NIL, &rawName, nullptr, nullptr, nullptr), S_OK);
    UniqueBstr name(rawName);
    EXPECT_STREQ(name.get(), L"CNorvComputerSystemProv");

    ComPtr<ITypeInfo> second;
    ASSERT_EQ(holder.Get(second.put()), S_OK);
    EXPECT_EQ(first.get(), second.get());

    // Once loaded, the holder no longer needs the registration; a new holder does.
    ASSERT_EQ(UnregisterModuleTypeLibrary(module_.get()), S_OK);
    ComPtr<ITypeInfo> cached;
    EXPECT_EQ(holder.Get(cached.put()), S_OK);
    EXPECT_EQ(cached.get(), first.get());
    CoclassTypeInfo fresh(kComputerSystemClsid);
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(fresh.Get(none.put()), TYPE_E_LIBNOTREGISTERED);
}

TEST_F(CoclassTypeInfoTest, AClsidWithoutCoclassIsNotFound) {
    ASSERT_EQ(RegisterModuleTypeLibrary(module_.get()), S_OK);
    CoclassTypeInfo holder(GuidOf("{D3A5F0B7-2C19-4E8A-B6D4-71E9C02F5A36}"));
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(holder.Get(info.put()), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_FALSE(info);
}

}  // namespace
}  // namespace norv::win
