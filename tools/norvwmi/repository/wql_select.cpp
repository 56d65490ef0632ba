#include "repository/wql_select.h"

#include <array>
#include <string>
#include <utility>

#include "repository/wql_lexer.h"

namespace norvwmi {

namespace {

// Clauses of WQL that may follow the class of a data query; the host does not evaluate them.
constexpr std::array<std::string_view, 5> kUnsupportedClauses{"WHERE", "GROUP", "HAVING", "WITHIN",
                                                              "ORDER"};

WqlError SyntaxError(const WqlToken& token, std::string reason) {
    return WqlError{WqlError::Kind::Syntax, token.offset, std::move(reason)};
}

}  // namespace

std::variant<WqlSelect, WqlError> ParseWqlSelect(std::string_view query) {
    WqlLexer lexer(query);
    WqlToken token = lexer.Next();
    if (IsKeyword(token, "ASSOCIATORS") || IsKeyword(token, "REFERENCES"))
        return WqlError{WqlError::Kind::Unsupported, token.offset,
                        "association queries are not evaluated"};
    if (!IsKeyword(token, "SELECT")) return SyntaxError(token, "expected SELECT");

    WqlSelect select;
    token = lexer.Next();
    if (IsSymbol(token, '*')) {
        select.allProperties = true;
        token = lexer.Next();
    } else {
        for (;;) {
            if (token.kind != WqlToken::Kind::Name || IsKeyword(token, "FROM"))
                return SyntaxError(token, "expected a property name or *");
            select.properties.emplace_back(token.text);
            token = lexer.Next();
            if (!IsSymbol(token, ',')) break;
            token = lexer.Next();
        }
    }
    if (!IsKeyword(token, "FROM")) return SyntaxError(token, "expected FROM");

    token = lexer.Next();
    if (token.kind != WqlToken::Kind::Name) return SyntaxError(token, "expected a class name");
    select.className = std::string(token.text);

    token = lexer.Next();
    if (token.kind == WqlToken::Kind::End) return select;
    for (std::string_view clause : kUnsupportedClauses)
        if (IsKeyword(token, clause))
            return WqlError{WqlError::Kind::Unsupported, token.offset,
                            std::string(clause) + " clauses are not evaluated"};
    return SyntaxError(token, "unexpected text after the class name");
}

}  // namespace norvwmi
