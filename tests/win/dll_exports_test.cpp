// The built module's registration as regsvr32 makes it: the classes and type library it writes
// (each class's keys and values are the core's class_registry.txt and the writer's; here the
// module's own path goes into them) and the coclass type information each provider hands out.
// (That a provider object holds the module is class_table_test's; the stand-in WMI loads the
// module through its other two exports.)
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "host/coclass_type_info.h"
#include "host/provider_class_row.h"
#include "host/server_registration.h"
#include "host/type_library_registration.h"
#include "host_test_support.h"

namespace norv::win {
namespace {

using test::Export;
using test::KeyExists;
using test::ReadString;
using test::TypeLibraryRegistered;
using test::Wide;

using EntryFn = HRESULT(STDAPICALLTYPE*)();

const GUID kLibraryId = GuidOf(kTypeLibraryId);

std::wstring ClassKey(const ProviderClassIdentity& identity) {
    return L"CLSID\\" + Wide(identity.clsid);
}

// Each case starts and ends with the module unregistered.
class ModuleExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_) << "cannot load " << NORV_MODULE_FILE;
        register_ = Export<EntryFn>(module_.get(), "DllRegisterServer");
        unregister_ = Export<EntryFn>(module_.get(), "DllUnregisterServer");
        ASSERT_TRUE(register_ && unregister_);
        unregister_();
    }
    void TearDown() override {
        if (unregister_) unregister_();
    }

    test::UniqueModule module_ = test::LoadModuleUnderTest();
    EntryFn register_ = nullptr;
    EntryFn unregister_ = nullptr;
};

// DllRegisterServer writes every class afresh and the type library, which describes the module
// and one coclass per class; DllUnregisterServer removes them all.
TEST_F(ModuleExportsTest, RegistersEveryClassAndItsTypeLibraryAndUnregistersThem) {
    const std::wstring modulePath = test::ModulePath(module_.get());
    ASSERT_EQ(register_(), S_OK);
    UniqueBstr path;
    ASSERT_EQ(::QueryPathOfRegTypeLib(kLibraryId, 1, 0, 0, path.put()), S_OK);
    EXPECT_STREQ(path.get(), modulePath.c_str());
    const std::wstring file = L"\\Norvipmiprv.dll";
    ASSERT_TRUE(modulePath.ends_with(file));
    EXPECT_EQ(
        ReadString(HKEY_CLASSES_ROOT, L"TypeLib\\" + Wide(kTypeLibraryId) + L"\\1.0\\HELPDIR"),
        modulePath.substr(0, modulePath.size() - file.size()));

    ComPtr<ITypeLib> library;
    ASSERT_EQ(::LoadRegTypeLib(kLibraryId, 1, 0, 0, library.put()), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->wMajorVerNum * 100 + attributes->wMinorVerNum, 100);
    EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    library->ReleaseTLibAttr(attributes);
    UniqueBstr libraryHelp;
    ASSERT_EQ(library->GetDocumentation(-1, nullptr, libraryHelp.put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(libraryHelp.get(), L"Norvipmiprv 1.0 Type Library");
    EXPECT_EQ(library->GetTypeInfoCount(), kProviderClassCount);
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        SCOPED_TRACE(identity.className);
        const std::wstring server = ClassKey(identity) + L"\\InprocServer32";
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, server), modulePath);
        CoclassTypeInfo holder(GuidOf(identity.clsid));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(holder.Get(info.put()), S_OK);
        UniqueBstr coclass, coclassHelp;
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, coclass.put(), coclassHelp.put(), nullptr,
                                         nullptr),
                  S_OK);
        EXPECT_EQ(std::wstring(coclass.get()), Wide(identity.coclassName));
        EXPECT_EQ(std::wstring(coclassHelp.get()), Wide(identity.coclassHelp));
    }
    // The type information a provider object hands out: loaded once, kept after the library
    // is unregistered; a class without a coclass is not found.
    CoclassTypeInfo loaded(GuidOf(kProviderClassIdentities[0].clsid));
    ComPtr<ITypeInfo> first;
    ASSERT_EQ(loaded.Get(first.put()), S_OK);
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(CoclassTypeInfo(GuidOf("{D3A5F0B7-2C19-4E8A-B6D4-71E9C02F5A36}")).Get(none.put()),
              TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(loaded.Get(nullptr), E_POINTER);
    library.reset();

    EXPECT_EQ(unregister_(), S_OK);
    // (Which keys the unregistration removes is the registry script's.)
    for (const ProviderClassIdentity& identity : kProviderClassIdentities)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(identity))) << identity.className;
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(TypeLibraryRegistered());
    ComPtr<ITypeInfo> cached;
    EXPECT_EQ(loaded.Get(cached.put()), S_OK);
    EXPECT_EQ(cached.get(), first.get());
    EXPECT_EQ(CoclassTypeInfo(GuidOf(kProviderClassIdentities[0].clsid)).Get(none.put()),
              TYPE_E_LIBNOTREGISTERED);
    EXPECT_FALSE(none);
}

HRESULT NotCreated(REFIID, void**) noexcept {
    return E_NOTIMPL;
}

TEST_F(ModuleExportsTest, AFailingClassEndsRegistrationAndKeepsTheEarlierOnes) {
    // A ProgID longer than a registry key name may be makes the second class fail.
    const std::string longProgId = std::string(300, 'P') + ".1";
    const ProviderClassIdentity broken = {
        "NorvBrokenProv", "{5A0F3E21-6C8B-4D97-A1E4-0B2C7D9F8E63}",
        longProgId,       "CNorvBrokenProv Object",
        "Broken",         "CNorvBrokenProv",
        "Broken Class"};
    const ProviderClassRow rows[] = {
        MakeProviderClassRow(kProviderClassIdentities[0], &NotCreated),
        MakeProviderClassRow(broken, &NotCreated),
        MakeProviderClassRow(kProviderClassIdentities[1], &NotCreated),
    };
    EXPECT_TRUE(FAILED(RegisterServer(rows, module_.get())));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(kProviderClassIdentities[0])));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(kProviderClassIdentities[1])));
    EXPECT_FALSE(TypeLibraryRegistered());
    UpdateClassRegistry(broken, module_.get(), RegistryMode::Unregister);
}

}  // namespace
}  // namespace norv::win
