#include "host/server_registration.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <array>
#include <string>
#include <vector>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "host/type_library_registration.h"
#include "host_test_support.h"

namespace norv::win {
namespace {

using test::CountKeyContents;
using test::KeyExists;
using test::ReadString;
using test::TypeLibraryRegistered;
using test::Wide;

HRESULT NotCreated(REFIID, void**) noexcept {
    return E_NOTIMPL;
}

// Rows for all seven classes, served or not, so that every class's tree is written through
// the same code path as the module's own rows.
template <std::size_t... I>
constexpr auto MakeAllRows(std::index_sequence<I...>) {
    return std::array<ProviderClassRow, sizeof...(I)>{
        MakeProviderClassRow(kProviderClassIdentities[I], &NotCreated)...};
}
constexpr auto kAllRows = MakeAllRows(std::make_index_sequence<kProviderClassCount>{});

std::wstring ClassKey(const ProviderClassIdentity& identity) {
    return L"CLSID\\" + Wide(identity.clsid);
}

// Nothing of a class is left: its ProgIDs and its CLSID subtree.
void ExpectClassAbsent(const ProviderClassIdentity& identity) {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Wide(identity.progId))) << identity.progId;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Wide(VersionIndependentProgId(identity.progId))))
        << identity.progId;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(identity))) << identity.className;
}

class ServerRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_) << "cannot load " << NORV_MODULE_FILE;
        modulePath_ = test::ModulePath(module_.get());
        Clean();
    }
    void TearDown() override { Clean(); }

    // Leaves no trace of an earlier failed run or of this one.
    void Clean() {
        for (const ProviderClassRow& row : kAllRows) {
            UpdateClassRegistry(*row.identity, module_.get(), RegistryMode::Unregister);
        }
        UnregisterModuleTypeLibrary(module_.get());
    }

    test::UniqueModule module_ = test::LoadModuleUnderTest();
    std::wstring modulePath_;
};

TEST_F(ServerRegistrationTest, WritesTheProgIdsAndClassIdSubtreeOfEveryClass) {
    ASSERT_EQ(RegisterServer(kAllRows, module_.get()), S_OK);
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        SCOPED_TRACE(identity.className);
        const std::wstring progId = Wide(identity.progId);
        const std::wstring viProgId = Wide(VersionIndependentProgId(identity.progId));
        const std::wstring friendly = Wide(identity.friendlyName);
        const std::wstring key = ClassKey(identity);
        // The keys and values are the core's registry script; here they are in the registry,
        // the module's own path among them.
        const std::pair<std::wstring, std::wstring> values[] = {
            {progId, friendly},
            {viProgId + L"\\CurVer", progId},
            {key + L"\\VersionIndependentProgID", viProgId},
            {key + L"\\InprocServer32", modulePath_}};
        for (const auto& [path, value] : values)
            EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, path), value) << path;
        EXPECT_EQ(CountKeyContents(HKEY_CLASSES_ROOT, key + L"\\Programmable"), test::KeyCounts{})
            << "Programmable holds nothing";
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel"),
                  L"both");
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + L"\\LocalServer32"));
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, key, L"AppID"), L"") << "present, empty text";
    }
    // The type library, with the module's folder (the path less its file name) for help.
    UniqueBstr path;
    ASSERT_EQ(::QueryPathOfRegTypeLib(GuidOf(kTypeLibraryId), 1, 0, 0, path.put()), S_OK);
    EXPECT_STREQ(path.get(), modulePath_.c_str());
    const std::wstring file = L"\\Norvipmiprv.dll";
    ASSERT_TRUE(modulePath_.ends_with(file));
    EXPECT_EQ(
        ReadString(HKEY_CLASSES_ROOT, L"TypeLib\\" + Wide(kTypeLibraryId) + L"\\1.0\\HELPDIR"),
        modulePath_.substr(0, modulePath_.size() - file.size()));
}

TEST_F(ServerRegistrationTest, RegisteringTwiceLeavesOneFreshCopyAndUnregisteringNone) {
    const ProviderClassIdentity& sensor = IdentityOf(ProviderClass::Sensor);
    const std::wstring key = ClassKey(sensor);
    ASSERT_EQ(RegisterServer(kAllRows, module_.get()), S_OK);
    // Left-overs inside the rebuilt subtrees must not survive the second registration.
    ASSERT_EQ(
        ::RegSetKeyValueW(HKEY_CLASSES_ROOT, (key + L"\\Stale").c_str(), nullptr, REG_SZ, L"x", 4),
        ERROR_SUCCESS);
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, (key + L"\\Programmable").c_str(), L"Stale",
                                REG_SZ, L"x", 4),
              ERROR_SUCCESS);
    ASSERT_EQ(RegisterServer(kAllRows, module_.get()), S_OK);

    const auto contents = CountKeyContents(HKEY_CLASSES_ROOT, key);
    ASSERT_TRUE(contents.has_value());
    EXPECT_EQ(contents->subkeys, 5u);  // ProgID, VersionIndependentProgID, Programmable,
                                       // InprocServer32, TypeLib
    EXPECT_EQ(contents->values, 2u);   // default value and AppID
    EXPECT_EQ(CountKeyContents(HKEY_CLASSES_ROOT, key + L"\\Programmable")->values, 0u);
    const auto viProgId = CountKeyContents(HKEY_CLASSES_ROOT, L"Norvipmiprv.Sensor");
    ASSERT_TRUE(viProgId.has_value());
    EXPECT_EQ(viProgId->subkeys, 2u);
    EXPECT_EQ(viProgId->values, 1u);

    // Unregistering removes everything but the CLSID key.
    ASSERT_EQ(UnregisterServer(kAllRows, module_.get()), S_OK);
    for (const ProviderClassIdentity& identity : kProviderClassIdentities) {
        ExpectClassAbsent(identity);
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(TypeLibraryRegistered());
}

TEST_F(ServerRegistrationTest, AFailingClassEndsRegistrationAndKeepsTheEarlierOnes) {
    // A ProgID longer than a registry key name may be makes the second class fail.
    const std::string longProgId = std::string(300, 'P') + ".1";
    const ProviderClassIdentity broken = {
        "NorvBrokenProv", "{5A0F3E21-6C8B-4D97-A1E4-0B2C7D9F8E63}",
        longProgId,       "CNorvBrokenProv Object",
        "Broken",         "CNorvBrokenProv",
        "Broken Class"};
    const ProviderClassRow rows[] = {
        kAllRows[0],
        MakeProviderClassRow(broken, &NotCreated),
        kAllRows[1],
    };
    EXPECT_TRUE(FAILED(RegisterServer(rows, module_.get())));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(*kAllRows[0].identity)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(*kAllRows[1].identity)));
    EXPECT_FALSE(TypeLibraryRegistered());
    UpdateClassRegistry(broken, module_.get(), RegistryMode::Unregister);
}

// A copy of the module in a folder whose path leaves no room in a 260-character buffer.
class LongPathModule {
public:
    LongPathModule() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        std::wstring folder = std::wstring(L"\\\\?\\") + temp + L"norv-long-path";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        folders_.push_back(folder);
        while (folder.size() < 300) {
            folder += L"\\" + std::wstring(60, L'd');
            ::CreateDirectoryW(folder.c_str(), nullptr);
            folders_.push_back(folder);
        }
        file_ = folder + L"\\Norvipmiprv.dll";
        if (::CopyFileW(Wide(NORV_MODULE_FILE).c_str(), file_.c_str(), FALSE)) {
            module_ = test::UniqueModule(::LoadLibraryW(file_.c_str()));
        }
    }
    ~LongPathModule() {
        module_.reset();
        ::DeleteFileW(file_.c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
            ::RemoveDirectoryW(it->c_str());
    }
    HMODULE get() const { return module_.get(); }

private:
    std::vector<std::wstring> folders_;
    std::wstring file_;
    test::UniqueModule module_;
};

TEST_F(ServerRegistrationTest, AModulePathThatFillsTheBufferFailsRegistration) {
    LongPathModule longModule;
    ASSERT_NE(longModule.get(), nullptr) << "cannot load the module from a long path";
    const HRESULT insufficientBuffer = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(RegisterServer(kAllRows, longModule.get()), insufficientBuffer);
    ExpectClassAbsent(*kAllRows[0].identity);
    EXPECT_FALSE(TypeLibraryRegistered());

    // The module's own entry point reads the same path for its type library.
    const auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(::GetProcAddress(longModule.get(), "DllRegisterServer")));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(registerServer(), insufficientBuffer);
    EXPECT_FALSE(TypeLibraryRegistered());
}

}  // namespace
}  // namespace norv::win
