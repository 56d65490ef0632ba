// A method call's in-parameters from NAME=VALUE texts, read by the method's declaration
// (tests/data/norvwmi/method_arguments.txt).
#include "repository/method_arguments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "repository/mof_text.h"
#include "repository/repository.h"
#include "support/case_file.h"

namespace norvwmi {
namespace {

constexpr std::string_view kRunClass =
    "class Runner { uint32 Run([in] string Text = \"default\", [in] sint8 Small,"
    " [in] uint16 Count, [in] uint64 Big, [in] boolean Flag, [in] real32 Ratio,"
    " [in] datetime When, [in] char16 Letter, [in] uint32 List[], [out] string Echo); };";

std::string ArgumentKind(const CimValue& value) {
    constexpr const char* kKinds[] = {"null", "bool", "int64", "uint64", "double", "string"};
    const std::size_t kind = value.data.index();
    return kind < std::size(kKinds) ? kKinds[kind] : "other";
}

TEST(MethodArguments, AreReadByTheInParametersTypes) {
    Repository repository;
    ASSERT_FALSE(repository.AddMof(kRunClass, "runner.mof"));
    const MethodDefinition* run =
        repository.FindClass("root\\default", "Runner")->FindMethod("Run");
    ASSERT_NE(run, nullptr);
    norv::test::ExpectCases("method_arguments.txt", [&](const std::string& input) -> std::string {
        std::vector<std::string> texts;
        for (std::size_t at = 0; at <= input.size();) {
            const std::size_t bar = std::min(input.find(" | ", at), input.size());
            texts.push_back(input.substr(at, bar - at));
            at = bar + 3;
        }
        const auto read = ReadMethodArguments(*run, texts);
        if (const auto* error = std::get_if<std::string>(&read)) return "error: " + *error;
        std::string text;
        for (const MethodArgument& argument : std::get<std::vector<MethodArgument>>(read))
            text += argument.name + " = " + MofLiteral(argument.value) + " " +
                    ArgumentKind(argument.value) + "; ";
        return text.substr(0, text.size() - 1);
    });
}

}  // namespace
}  // namespace norvwmi
