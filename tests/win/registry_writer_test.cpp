#include "host/registry_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_support.h"

namespace norv::win {
namespace {

using test::KeyExists;
using test::ReadString;

constexpr wchar_t kScratch[] = L"Software\\NorvTest\\RegistryWriter";

// Every case works below a scratch key of the current user, removed before and after.
class RegistryWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, root_.put(), nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        root_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }
    HRESULT Apply(const std::vector<RegistryOperation>& operations) {
        return ApplyRegistryOperations(root_.get(), operations);
    }
    static bool Exists(const std::wstring& below) {
        return KeyExists(HKEY_CURRENT_USER, std::wstring(kScratch) + L"\\" + below);
    }

    UniqueHkey root_;
};

// Values are UTF-16; a tree goes whole, a key only when no subkey is left (values do not keep
// it); deleting what is absent succeeds.
TEST_F(RegistryWriterTest, WritesUtf16AndDeletesKeysAsTheyAsk) {
    ASSERT_EQ(Apply({{RegistryAction::SetValue, "A\\B", "Named", "Z\xC3\xBCrich \xE2\x80\x93 %"},
                     {RegistryAction::SetValue, "Shared", "", "ours"},
                     {RegistryAction::CreateKey, "Shared\\Foreign", "", ""},
                     {RegistryAction::SetValue, "Alone", "v", "ours"}}),
              S_OK);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, std::wstring(kScratch) + L"\\A\\B", L"Named"),
              L"Z\u00fcrich \u2013 %");
    ASSERT_EQ(Apply({{RegistryAction::DeleteTree, "A", "", ""},
                     {RegistryAction::DeleteKey, "Shared", "", ""},
                     {RegistryAction::DeleteKey, "Alone", "", ""},
                     {RegistryAction::DeleteTree, "Missing", "", ""},
                     {RegistryAction::DeleteKey, "Missing\\Too", "", ""},
                     {RegistryAction::DeleteValue, "Missing", "v", ""},
                     {RegistryAction::DeleteValue, "Shared", "v", ""}}),
              S_OK);
    EXPECT_FALSE(Exists(L"A"));
    EXPECT_TRUE(Exists(L"Shared\\Foreign"));
    EXPECT_FALSE(Exists(L"Alone"));
}

TEST_F(RegistryWriterTest, StopsAtTheFirstFailure) {
    // Key names are limited to 255 characters.
    EXPECT_TRUE(FAILED(Apply({{RegistryAction::CreateKey, "Before", "", ""},
                              {RegistryAction::CreateKey, std::string(300, 'k'), "", ""},
                              {RegistryAction::CreateKey, "After", "", ""}})));
    EXPECT_TRUE(Exists(L"Before"));
    EXPECT_FALSE(Exists(L"After"));
}

}  // namespace
}  // namespace norv::win
