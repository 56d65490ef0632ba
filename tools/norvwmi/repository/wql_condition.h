// The WHERE clause of a WQL data query, as WMI evaluates it on each instance of the class:
// comparisons of a property with a literal (=, <>, !=, <, >, <=, >=, LIKE; the literal on
// either side), IS [NOT] NULL, joined by AND, OR and NOT with parentheses. Its words are the
// WQL lexer's (repository/wql_lexer.h): literals are its quoted texts (a backslash takes the
// next character as it is), its numbers (an integer within 64 bits of either sign, or a real
// within double's range), TRUE, FALSE and NULL; keywords in any letter case. A property is a
// name, or names joined by points without blanks for a property of an embedded object
// (TargetInstance.Name), which is null when the object is.
//
// Strings compare without regard to case, as WMI compares them; a number literal against a
// text property, or a text against a number, never matches; a comparison with a null
// property never matches, except IS NULL (and `= NULL`, which WMI takes as IS NULL). LIKE
// takes % (any run), _ (one character), [abc], [a-z] and [^abc].
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "repository/cim_object.h"
#include "repository/cim_value.h"
#include "repository/wql_select.h"

namespace norvwmi {

enum class WqlOperator {
    Equal,
    NotEqual,
    Less,
    Greater,
    LessOrEqual,
    GreaterOrEqual,
    Like,
    IsNull,
    IsNotNull
};

struct WqlCondition {
    enum class Kind { Comparison, And, Or, Not };
    Kind kind = Kind::Comparison;
    // Comparison: the property, the operator with the property on its left, the literal.
    std::string property;
    WqlOperator op = WqlOperator::Equal;
    CimValue literal;
    std::vector<WqlCondition> operands;  // And, Or: two; Not: one
};

// `text` is what follows WHERE; offsets of errors are within it. Every fault is
// WqlError::Kind::Syntax (WBEM_E_INVALID_QUERY).
std::variant<WqlCondition, WqlError> ParseWqlCondition(std::string_view text);

// The properties a condition reads, each once, as written.
std::vector<std::string> ConditionProperties(const WqlCondition& condition);

bool ConditionHolds(const WqlCondition& condition, const CimObject& object);

// A data query split at its WHERE: the SELECT before it and the condition after it.
struct SplitQuery {
    std::string select;
    std::string condition;  // empty without WHERE
    bool hasWhere = false;
};
SplitQuery SplitAtWhere(std::string_view query);

}  // namespace norvwmi
