// The one query the association provider answers itself: what WMI hands an association
// class's provider when it resolves ASSOCIATORS OF or REFERENCES OF, a unary SELECT of the
// class restricted to the instances whose references name the source object:
//   SELECT * FROM Class WHERE Role = "path" [OR Role = "path"]...
// Keywords, the class and the roles in any letter case; any term, and the whole condition,
// may stand in parentheses; a string in double or single quotes, where a backslash takes the
// next character as it is. Any other text, or any other operator, is not this form.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norv {

struct ReferenceTerm {
    std::wstring role;
    std::wstring path;  // unescaped
};

struct AssociationSelect {
    std::wstring className;
    std::vector<ReferenceTerm> terms;  // at least one, joined by OR
};

std::optional<AssociationSelect> ParseAssociationSelect(std::wstring_view query);

}  // namespace norv
