#include "repository/wql_select.h"

#include <array>
#include <string>
#include <utility>

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

struct Token {
    enum class Kind { Identifier, Star, Comma, End, Other };
    Kind kind = Kind::End;
    std::string_view text;
    std::size_t offset = 0;
};

// Clauses of WQL that may follow the class of a data query; the host does not evaluate them.
constexpr std::array<std::string_view, 5> kUnsupportedClauses{"WHERE", "GROUP", "HAVING", "WITHIN",
                                                              "ORDER"};

constexpr bool IsWqlIdentifierStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
constexpr bool IsWqlIdentifierChar(char c) {
    return IsWqlIdentifierStart(c) || (c >= '0' && c <= '9');
}
constexpr bool IsWqlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token Next() {
        while (pos_ < text_.size() && IsWqlBlank(text_[pos_])) ++pos_;
        Token token;
        token.offset = pos_;
        if (pos_ == text_.size()) return token;
        const char c = text_[pos_];
        if (IsWqlIdentifierStart(c)) {
            const std::size_t start = pos_;
            while (pos_ < text_.size() && IsWqlIdentifierChar(text_[pos_])) ++pos_;
            token.kind = Token::Kind::Identifier;
            token.text = text_.substr(start, pos_ - start);
            return token;
        }
        token.kind = c == '*'   ? Token::Kind::Star
                     : c == ',' ? Token::Kind::Comma
                                : Token::Kind::Other;
        token.text = text_.substr(pos_, 1);
        ++pos_;
        return token;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool IsKeyword(const Token& token, std::string_view keyword) {
    return token.kind == Token::Kind::Identifier && SameName(token.text, keyword);
}

WqlError SyntaxError(const Token& token, std::string reason) {
    return WqlError{WqlError::Kind::Syntax, token.offset, std::move(reason)};
}

}  // namespace

std::variant<WqlSelect, WqlError> ParseWqlSelect(std::string_view query) {
    Lexer lexer(query);
    Token token = lexer.Next();
    if (IsKeyword(token, "ASSOCIATORS") || IsKeyword(token, "REFERENCES"))
        return WqlError{WqlError::Kind::Unsupported, token.offset,
                        "association queries are not evaluated"};
    if (!IsKeyword(token, "SELECT")) return SyntaxError(token, "expected SELECT");

    WqlSelect select;
    token = lexer.Next();
    if (token.kind == Token::Kind::Star) {
        select.allProperties = true;
        token = lexer.Next();
    } else {
        for (;;) {
            if (token.kind != Token::Kind::Identifier || IsKeyword(token, "FROM"))
                return SyntaxError(token, "expected a property name or *");
            select.properties.emplace_back(token.text);
            token = lexer.Next();
            if (token.kind != Token::Kind::Comma) break;
            token = lexer.Next();
        }
    }
    if (!IsKeyword(token, "FROM")) return SyntaxError(token, "expected FROM");

    token = lexer.Next();
    if (token.kind != Token::Kind::Identifier) return SyntaxError(token, "expected a class name");
    select.className = std::string(token.text);

    token = lexer.Next();
    if (token.kind == Token::Kind::End) return select;
    for (std::string_view clause : kUnsupportedClauses)
        if (IsKeyword(token, clause))
            return WqlError{WqlError::Kind::Unsupported, token.offset,
                            std::string(clause) + " clauses are not evaluated"};
    return SyntaxError(token, "unexpected text after the class name");
}

}  // namespace norvwmi
