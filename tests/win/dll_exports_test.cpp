// The built module through its exported entry points, as COM, regsvr32 and WMI use it, and
// the coclass type information each provider object hands out.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "host/coclass_type_info.h"
#include "host/provider_class_row.h"
#include "host/type_library_registration.h"
#include "host_test_support.h"
#include "support/out_sentinel.h"

namespace norv::win {
namespace {

using test::Export;
using test::KeyExists;
using test::TypeLibraryRegistered;
using test::Wide;

using EntryFn = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

const GUID kLibraryId = GuidOf(kTypeLibraryId);

class ModuleExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_) << "cannot load " << NORV_MODULE_FILE;
        canUnloadNow_ = Export<EntryFn>(module_.get(), "DllCanUnloadNow");
        getClassObject_ = Export<GetClassObjectFn>(module_.get(), "DllGetClassObject");
        register_ = Export<EntryFn>(module_.get(), "DllRegisterServer");
        unregister_ = Export<EntryFn>(module_.get(), "DllUnregisterServer");
        ASSERT_TRUE(canUnloadNow_ && getClassObject_ && register_ && unregister_);
    }

    test::UniqueModule module_ = test::LoadModuleUnderTest();
    EntryFn canUnloadNow_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    EntryFn register_ = nullptr;
    EntryFn unregister_ = nullptr;
};

TEST_F(ModuleExportsTest, ExportsItsFiveEntryPointsByNameAndOrdinal) {
    const char* const names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllMain",
                                 "DllRegisterServer", "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 5; ++ordinal) {
        const FARPROC byName = ::GetProcAddress(module_.get(), names[ordinal - 1]);
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(byName, ::GetProcAddress(module_.get(), MAKEINTRESOURCEA(ordinal))) << ordinal;
    }
    EXPECT_EQ(::GetProcAddress(module_.get(), MAKEINTRESOURCEA(6)), nullptr);
    EXPECT_EQ(canUnloadNow_(), S_OK) << "may be unloaded right after loading";
}

// Every class of the identity table is served: a row missing from the served classes would
// leave WMI without that provider. A provider object holds the module; the class objects' own
// rules (one per class, server locks, refusals) are class_table_test's.
TEST_F(ModuleExportsTest, ServesEveryClassAndAProviderObjectHoldsTheModule) {
    ASSERT_EQ(std::size(kProviderClassIdentities), 7u);
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        SCOPED_TRACE(identity.className);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject_(GuidOf(identity.clsid), IID_IClassFactory, factory.put_void()),
                  S_OK);
        ComPtr<IUnknown> provider;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, provider.put_void()), S_OK);
        factory.reset();
        EXPECT_EQ(canUnloadNow_(), S_FALSE) << "a provider object holds the module";
        provider.reset();
        EXPECT_EQ(canUnloadNow_(), S_OK);
    }
    void* out = test::kOutSentinel;
    EXPECT_EQ(getClassObject_(kLibraryId, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ModuleExportsTest, CarriesItsNameTheTypeLibraryAndTheApplicationIdScript) {
    wchar_t name[64] = {};
    EXPECT_GT(::LoadStringW(module_.get(), 100, name, 64), 0);
    EXPECT_STREQ(name, L"Norvipmiprv");
    const HRSRC typeLibrary = ::FindResourceW(module_.get(), MAKEINTRESOURCEW(1), L"TYPELIB");
    ASSERT_NE(typeLibrary, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(
                              ::LockResource(::LoadResource(module_.get(), typeLibrary))),
                          4),
              "MSFT");
    const HRSRC script = ::FindResourceW(module_.get(), MAKEINTRESOURCEW(101), L"REGISTRY");
    ASSERT_NE(script, nullptr);
    const std::string embedded(
        static_cast<const char*>(::LockResource(::LoadResource(module_.get(), script))),
        ::SizeofResource(module_.get(), script));
    std::ifstream source(NORV_MODULE_SOURCE_DIR "/Norvipmiprv.rgs", std::ios::binary);
    std::ostringstream text;
    text << source.rdbuf();
    EXPECT_EQ(embedded, text.str());
}

// Registered by the module's own DllRegisterServer, the type library describes the module
// and one coclass per provider class, each with its registry entries.
TEST_F(ModuleExportsTest, RegistersItsTypeLibraryAndItsServedClasses) {
    unregister_();
    ASSERT_EQ(register_(), S_OK);
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
        // The type information a provider object hands out: loaded once, kept after the
        // library is unregistered; a class without a coclass is not found.
        CoclassTypeInfo holder(GuidOf(identity.clsid));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(holder.Get(info.put()), S_OK);
        UniqueBstr coclass;
        UniqueBstr coclassHelp;
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, coclass.put(), coclassHelp.put(), nullptr,
                                         nullptr),
                  S_OK);
        EXPECT_EQ(std::wstring(coclass.get()), Wide(identity.coclassName));
        EXPECT_EQ(std::wstring(coclassHelp.get()), Wide(identity.coclassHelp));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + Wide(identity.clsid)));
    }
    CoclassTypeInfo loaded(GuidOf(kProviderClassIdentities[0].clsid));
    ComPtr<ITypeInfo> first;
    ASSERT_EQ(loaded.Get(first.put()), S_OK);
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(CoclassTypeInfo(GuidOf("{D3A5F0B7-2C19-4E8A-B6D4-71E9C02F5A36}")).Get(none.put()),
              TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(loaded.Get(nullptr), E_POINTER);
    library.reset();
    EXPECT_EQ(unregister_(), S_OK);
    EXPECT_FALSE(TypeLibraryRegistered());
    EXPECT_FALSE(
        KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + Wide(kProviderClassIdentities[0].clsid)));
    ComPtr<ITypeInfo> cached;
    EXPECT_EQ(loaded.Get(cached.put()), S_OK);
    EXPECT_EQ(cached.get(), first.get());
    EXPECT_EQ(CoclassTypeInfo(GuidOf(kProviderClassIdentities[0].clsid)).Get(none.put()),
              TYPE_E_LIBNOTREGISTERED);
    EXPECT_FALSE(none);
}

// Runs regsvr32 of the module's own bitness (Wine picks it by the caller's) and waits.
DWORD RunRegsvr32(const std::wstring& arguments) {
    std::wstring commandLine =
        L"regsvr32.exe " + arguments + L" \"" + Wide(NORV_MODULE_FILE) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return ::GetLastError() | 0x80000000u;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) return WAIT_TIMEOUT;
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    return exitCode;
}

TEST_F(ModuleExportsTest, RegistersAndUnregistersThroughRegsvr32) {
    unregister_();
    ASSERT_FALSE(TypeLibraryRegistered());
    EXPECT_EQ(RunRegsvr32(L"/s"), 0u);
    EXPECT_TRUE(TypeLibraryRegistered());
    EXPECT_EQ(RunRegsvr32(L"/u /s"), 0u);
    EXPECT_FALSE(TypeLibraryRegistered());
}

}  // namespace
}  // namespace norv::win
