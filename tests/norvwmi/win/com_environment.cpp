// COM in the multithreaded apartment on the main thread for every test, as the host
// runs it.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

namespace {

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    }
    void TearDown() override { ::CoUninitialize(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace
