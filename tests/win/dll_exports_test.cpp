// The built module through its exported entry points, as COM, regsvr32 and WMI use it.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "host_test_support.h"
#include "module/served_classes.h"
#include "platform/win_resource.h"

namespace norv::win {
namespace {

using test::KeyExists;
using test::Wide;

using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using RegisterFn = HRESULT(STDAPICALLTYPE*)();

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const GUID kLibraryId = GuidOf(kTypeLibraryId);
void* const kSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xdeadbeef));

class ModuleExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_) << "cannot load " << NORV_MODULE_FILE;
        canUnloadNow_ = Export<CanUnloadNowFn>(module_.get(), "DllCanUnloadNow");
        getClassObject_ = Export<GetClassObjectFn>(module_.get(), "DllGetClassObject");
        register_ = Export<RegisterFn>(module_.get(), "DllRegisterServer");
        unregister_ = Export<RegisterFn>(module_.get(), "DllUnregisterServer");
        ASSERT_TRUE(canUnloadNow_ && getClassObject_ && register_ && unregister_);
    }

    test::UniqueModule module_ = test::LoadModuleUnderTest();
    CanUnloadNowFn canUnloadNow_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    RegisterFn register_ = nullptr;
    RegisterFn unregister_ = nullptr;
};

TEST_F(ModuleExportsTest, ExportsItsFiveEntryPointsByNameAndOrdinal) {
    const char* const names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllMain",
                                 "DllRegisterServer", "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 5; ++ordinal) {
        const FARPROC byName = ::GetProcAddress(module_.get(), names[ordinal - 1]);
        const FARPROC byOrdinal = ::GetProcAddress(module_.get(), MAKEINTRESOURCEA(ordinal));
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(byName, byOrdinal) << "ordinal " << ordinal;
    }
    EXPECT_EQ(::GetProcAddress(module_.get(), MAKEINTRESOURCEA(6)), nullptr);
}

TEST_F(ModuleExportsTest, MayBeUnloadedRightAfterLoading) {
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

// Every class of the identity table is served: a row missing from the served classes would
// leave WMI without that provider.
TEST_F(ModuleExportsTest, AnswersClassObjectRequestsForEveryClassOfTheTable) {
    ASSERT_EQ(std::size(kProviderClassIdentities), 7u);
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        void* out = kSentinel;
        const HRESULT hr = getClassObject_(GuidOf(identity.clsid), IID_IClassFactory, &out);
        ComPtr<IClassFactory> factory = ComPtr<IClassFactory>::attach(
            SUCCEEDED(hr) ? static_cast<IClassFactory*>(out) : nullptr);
        EXPECT_EQ(hr, S_OK) << identity.className;
        EXPECT_NE(out, nullptr) << identity.className;
    }
    EXPECT_EQ(canUnloadNow_(), S_OK);
    void* out = kSentinel;
    EXPECT_EQ(getClassObject_(GuidOf(kTypeLibraryId), IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(
        getClassObject_(GuidOf(kProviderClassIdentities[0].clsid), IID_IClassFactory, nullptr),
        E_POINTER);
}

TEST_F(ModuleExportsTest, ClassObjectsOfServedClassesFollowTheUnloadRule) {
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        SCOPED_TRACE(identity.className);
        const GUID clsid = GuidOf(identity.clsid);
        ComPtr<IClassFactory> first;
        ComPtr<IClassFactory> second;
        ASSERT_EQ(getClassObject_(clsid, IID_IClassFactory, first.put_void()), S_OK);
        ASSERT_EQ(getClassObject_(clsid, IID_IClassFactory, second.put_void()), S_OK);
        EXPECT_EQ(first.get(), second.get());
        EXPECT_EQ(canUnloadNow_(), S_FALSE);
        void* out = kSentinel;
        EXPECT_EQ(first->CreateInstance(first.get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
        ComPtr<IUnknown> provider;
        ASSERT_EQ(first->CreateInstance(nullptr, IID_IUnknown, provider.put_void()), S_OK);
        EXPECT_EQ(first->LockServer(TRUE), S_OK);
        first.reset();
        second.reset();
        EXPECT_EQ(canUnloadNow_(), S_FALSE) << "a provider object and a server lock hold it";
        provider.reset();
        EXPECT_EQ(canUnloadNow_(), S_FALSE) << "the server lock still holds the module";
        ComPtr<IClassFactory> again;
        ASSERT_EQ(getClassObject_(clsid, IID_IClassFactory, again.put_void()), S_OK);
        EXPECT_EQ(again->LockServer(FALSE), S_OK);
        again.reset();
        EXPECT_EQ(canUnloadNow_(), S_OK);
    }
}

TEST_F(ModuleExportsTest, CarriesItsNameTheTypeLibraryAndTheApplicationIdScript) {
    wchar_t name[64] = {};
    ASSERT_GT(::LoadStringW(module_.get(), 100, name, 64), 0);
    EXPECT_STREQ(name, L"Norvipmiprv");

    const HRSRC typeLibrary = ::FindResourceW(module_.get(), MAKEINTRESOURCEW(1), L"TYPELIB");
    ASSERT_NE(typeLibrary, nullptr);
    const auto* header =
        static_cast<const char*>(::LockResource(::LoadResource(module_.get(), typeLibrary)));
    EXPECT_EQ(std::string(header, 4), "MSFT");

    const HRSRC script = ::FindResourceW(module_.get(), MAKEINTRESOURCEW(101), L"REGISTRY");
    ASSERT_NE(script, nullptr);
    const std::string embedded(
        static_cast<const char*>(::LockResource(::LoadResource(module_.get(), script))),
        ::SizeofResource(module_.get(), script));
    std::ifstream source(NORV_MODULE_SOURCE_DIR "/Norvipmiprv.rgs", std::ios::binary);
    ASSERT_TRUE(source) << "cannot read the script's source";
    std::ostringstream text;
    text << source.rdbuf();
    EXPECT_EQ(embedded, text.str());
}

bool TypeLibraryRegistered() {
    BSTR path = nullptr;
    const HRESULT hr = ::QueryPathOfRegTypeLib(kLibraryId, 1, 0, 0, &path);
    UniqueBstr owner(path);
    return SUCCEEDED(hr);
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
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kLibraryId));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0u);
    EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    library->ReleaseTLibAttr(attributes);

    BSTR rawName = nullptr;
    BSTR rawHelp = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &rawName, &rawHelp, nullptr, nullptr), S_OK);
    UniqueBstr libraryName(rawName);
    UniqueBstr libraryHelp(rawHelp);
    EXPECT_STREQ(libraryName.get(), L"Norvipmiprv");
    EXPECT_STREQ(libraryHelp.get(), L"Norvipmiprv 1.0 Type Library");
    EXPECT_EQ(library->GetTypeInfoCount(), kProviderClassCount);

    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        SCOPED_TRACE(identity.className);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfoOfGuid(GuidOf(identity.clsid), info.put()), S_OK);
        TYPEATTR* typeAttributes = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&typeAttributes), S_OK);
        EXPECT_EQ(typeAttributes->typekind, TKIND_COCLASS);
        info->ReleaseTypeAttr(typeAttributes);
        BSTR rawCoclass = nullptr;
        BSTR rawCoclassHelp = nullptr;
        ASSERT_EQ(
            info->GetDocumentation(MEMBERID_NIL, &rawCoclass, &rawCoclassHelp, nullptr, nullptr),
            S_OK);
        UniqueBstr coclass(rawCoclass);
        UniqueBstr coclassHelp(rawCoclassHelp);
        EXPECT_EQ(std::wstring(coclass.get()), Wide(identity.coclassName));
        EXPECT_EQ(std::wstring(coclassHelp.get()), Wide(identity.coclassHelp));

        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, Wide(identity.progId)));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, Wide(VersionIndependentProgId(identity.progId))));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + Wide(identity.clsid)));
    }
    library.reset();

    EXPECT_EQ(unregister_(), S_OK);
    EXPECT_FALSE(TypeLibraryRegistered());
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Wide(identity.progId))) << identity.progId;
    }
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
