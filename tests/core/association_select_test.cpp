// The query the association provider answers itself, read as reviewed case rows: the class
// and each term's role and path, or "-" for a text that is not that query.
#include "graph/association_select.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_file.h"

namespace norv {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(AssociationSelect, AsReviewed) {
    test::ExpectCases("association_selects.txt", [](const std::string& input) -> std::string {
        const auto select = ParseAssociationSelect(std::wstring(input.begin(), input.end()));
        if (!select) return "-";
        std::string answer = Narrow(select->className);
        for (const ReferenceTerm& term : select->terms)
            answer += " | " + Narrow(term.role) + "=" + Narrow(term.path);
        return answer;
    });
}

}  // namespace
}  // namespace norv
