// The host's provider calls against the test provider module (test_provider.cpp) and
// the classes of tests/data/norvwmi/test_provider.mof: the road from the registration to
// the module's class object and the calls, what is returned, and every misbehaviour a
// client would trip over reported as a problem.
#include "provider/provider_call.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "com/class_object.h"
#include "com/wbem_status.h"
#include "com/wide_text.h"
#include "platform/embedded_mof.h"
#include "program/command_line.h"
#include "repository/mof_reader.h"
#include "repository/repository_class_source.h"
#include "support/shipped_mof.h"

namespace norvwmi {
namespace {

std::shared_ptr<ServedNamespaces> TestProviderNamespace() {
    Repository repository;
    const MofReadResult system = ReadMof(EmbeddedMofText(kSystemMofName).value(), kSystemMofName);
    EXPECT_FALSE(repository.AddSystemClasses(system.document));
    const auto error = repository.AddMof(testing::ReadSourceFile("tests/data/norvwmi/test_provider.mof"), "test_provider.mof");
    EXPECT_FALSE(error) << FormatMofError(*error);
    return std::make_shared<ServedNamespaces>(
        std::make_shared<RepositoryClassSource>(std::move(repository)), "TESTHOST");
}

std::wstring TestProviderPath() {
    std::wstring path = Utf8ToWide(NORVWMI_TEST_PROVIDER);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

class ProviderCall : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(module_.Load(TestProviderPath()), S_OK);
        host_.served = TestProviderNamespace();
        host_.nameSpace = "root\\test";
        host_.completionWaitMs = 100;
    }

    ProviderOutcome Run(ProviderOperation operation, std::string target, std::string method = {}) {
        return RunProviderRequest(module_, host_, ProviderRequest{operation, target, method});
    }

    ProviderModule module_;
    ProviderHost host_;
};

CimObject Snapshot(const ProviderOutcome& outcome, std::size_t i) {
    const ClassObject* object = ClassObject::Implementation(outcome.objects.at(i).get());
    EXPECT_NE(object, nullptr);
    return object->Snapshot();
}

CimValue ValueOf(const CimObject& object, std::string_view name) {
    const auto i = object.Find(name);
    return i ? object.ValueAt(*i) : CimValue{};
}

bool Mentions(const std::vector<std::string>& problems, std::string_view text) {
    return std::any_of(problems.begin(), problems.end(), [&](const std::string& problem) {
        return problem.find(text) != std::string::npos;
    });
}

TEST_F(ProviderCall, EnumerationReturnsTheIndicatedInstance) {
    const ProviderOutcome outcome = Run(ProviderOperation::Enumerate, "Widget");
    EXPECT_EQ(outcome.status, WBEM_S_NO_ERROR);
    EXPECT_EQ(outcome.step, "CreateInstanceEnumAsync");
    EXPECT_TRUE(outcome.problems.empty()) << outcome.problems.front();
    ASSERT_EQ(outcome.objects.size(), 1u);
    const CimObject widget = Snapshot(outcome, 0);
    EXPECT_EQ(widget.Definition().name, "Widget");
    EXPECT_EQ(ValueOf(widget, "Name"), CimValue{std::string("one")});
    EXPECT_EQ(ValueOf(widget, "Size"), CimValue{std::uint64_t{7}});
    EXPECT_EQ(ValueOf(widget, "Serial"), CimValue{std::uint64_t{18446744073709551615u}});
    // Initialize was given the provider's namespace.
    EXPECT_EQ(ValueOf(widget, "Namespace"), CimValue{std::string("root\\test")});
}

TEST_F(ProviderCall, MisbehavingProvidersAreReported) {
    struct Row {
        const char* className;
        const char* problem;
    };
    constexpr Row rows[] = {
        {"SilentWidget", "never called SetStatus"},
        {"ImpersonatingWidget", "still impersonating the client"},
        {"LeakyWidget", "DllCanUnloadNow answers S_FALSE"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.className);
        ProviderModule fresh;  // the leak stays with its module
        ASSERT_EQ(fresh.Load(TestProviderPath()), S_OK);
        const ProviderOutcome outcome = RunProviderRequest(
            fresh, host_, ProviderRequest{ProviderOperation::Enumerate, row.className, {}});
        ASSERT_EQ(outcome.problems.size(), 1u);
        EXPECT_TRUE(Mentions(outcome.problems, row.problem)) << outcome.problems.front();
        EXPECT_EQ(outcome.status, WBEM_S_NO_ERROR);
    }
}

TEST_F(ProviderCall, RequestsWmiRefusesNeverReachTheModule) {
    struct Row {
        ProviderOperation operation;
        const char* target;
        const char* method;
        HRESULT status;
    };
    const Row rows[] = {
        {ProviderOperation::Enumerate, "Gadget", "", Wbem(WBEM_E_INVALID_CLASS)},
        {ProviderOperation::ExecMethod, "Widget.Name=\"one\"", "Pong", Wbem(WBEM_E_INVALID_METHOD)},
        {ProviderOperation::ExecMethod, "StaticThing.Name=\"fixed\"", "Ping",
         Wbem(WBEM_E_INVALID_METHOD)},
        {ProviderOperation::Get, "Widget.Name=", "", Wbem(WBEM_E_INVALID_OBJECT_PATH)},
        {ProviderOperation::Get, "\\\\.\\root\\other:Widget.Name=\"one\"", "",
         Wbem(WBEM_E_INVALID_NAMESPACE)},
        {ProviderOperation::Enumerate, "ForeignWidget", "", CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.target);
        const ProviderOutcome outcome = Run(row.operation, row.target, row.method);
        EXPECT_EQ(outcome.status, row.status);
        EXPECT_TRUE(outcome.objects.empty());
        EXPECT_FALSE(outcome.step.empty());
    }
}

}  // namespace
}  // namespace norvwmi
