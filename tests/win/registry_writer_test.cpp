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
    std::wstring Path(const std::wstring& below) const {
        return std::wstring(kScratch) + L"\\" + below;
    }

    UniqueHkey root_;
};

TEST_F(RegistryWriterTest, SetValueCreatesTheKeyAndWritesStringsInUtf16) {
    ASSERT_EQ(Apply({
                  {RegistryAction::SetValue, "A\\B", "", "default"},
                  {RegistryAction::SetValue, "A\\B", "Named", "Z\xC3\xBCrich \xE2\x80\x93 100 %"},
                  {RegistryAction::SetValue, "A\\B", "Empty", ""},
              }),
              S_OK);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, Path(L"A\\B")), L"default");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, Path(L"A\\B"), L"Named"), L"Z\u00fcrich \u2013 100 %");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, Path(L"A\\B"), L"Empty"), L"");
}

TEST_F(RegistryWriterTest, DeleteTreeRemovesTheKeyWithEverythingBelowIt) {
    ASSERT_EQ(Apply({{RegistryAction::CreateKey, "Owned\\Deep\\Deeper", "", ""},
                     {RegistryAction::SetValue, "Owned\\Deep", "v", "x"}}),
              S_OK);
    ASSERT_EQ(Apply({{RegistryAction::DeleteTree, "Owned", "", ""}}), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Owned")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kScratch));
}

TEST_F(RegistryWriterTest, DeleteKeyLeavesAKeyThatStillHasSubkeys) {
    ASSERT_EQ(Apply({{RegistryAction::SetValue, "Shared", "", "ours"},
                     {RegistryAction::CreateKey, "Shared\\Foreign", "", ""},
                     {RegistryAction::SetValue, "Alone", "", "ours"},
                     {RegistryAction::SetValue, "Alone", "v", "ours"}}),
              S_OK);
    ASSERT_EQ(Apply({{RegistryAction::DeleteKey, "Shared", "", ""},
                     {RegistryAction::DeleteKey, "Alone", "", ""}}),
              S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Path(L"Shared\\Foreign")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Alone"))) << "values do not keep a key";
}

TEST_F(RegistryWriterTest, DeletingWhatIsAbsentSucceeds) {
    EXPECT_EQ(Apply({{RegistryAction::DeleteTree, "Missing", "", ""},
                     {RegistryAction::DeleteKey, "Missing\\Too", "", ""},
                     {RegistryAction::DeleteValue, "Missing", "v", ""}}),
              S_OK);
    ASSERT_EQ(Apply({{RegistryAction::CreateKey, "Present", "", ""}}), S_OK);
    EXPECT_EQ(Apply({{RegistryAction::DeleteValue, "Present", "v", ""}}), S_OK);
}

TEST_F(RegistryWriterTest, StopsAtTheFirstFailure) {
    // Key names are limited to 255 characters.
    const std::string tooLong(300, 'k');
    const HRESULT hr = Apply({{RegistryAction::CreateKey, "Before", "", ""},
                              {RegistryAction::CreateKey, tooLong, "", ""},
                              {RegistryAction::CreateKey, "After", "", ""}});
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Path(L"Before")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"After")));
}

}  // namespace
}  // namespace norv::win
