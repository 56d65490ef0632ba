#include "repository/wql_lexer.h"

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

constexpr bool IsWqlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
constexpr bool IsWqlDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsWqlNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
constexpr bool IsWqlNameChar(char c) {
    return IsWqlNameStart(c) || IsWqlDigit(c);
}

std::string_view WithoutOuterBlanks(std::string_view text) {
    while (!text.empty() && IsWqlBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsWqlBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

WqlToken WqlLexer::Next() {
    while (pos_ < text_.size() && IsWqlBlank(text_[pos_])) ++pos_;
    const std::size_t start = pos_;
    if (start == text_.size()) return WqlToken{WqlToken::Kind::End, {}, start};
    const char c = text_[start];
    if (c == '\'' || c == '"') return Quoted(start);
    if (c == '{') return Braced(start);
    WqlToken::Kind kind = WqlToken::Kind::Symbol;
    if (IsWqlNameStart(c)) {
        kind = WqlToken::Kind::Name;
        while (pos_ < text_.size() && IsWqlNameChar(text_[pos_])) ++pos_;
    } else if (StartsNumber(start)) {
        kind = WqlToken::Kind::Number;
        Number();
    } else {
        ++pos_;
    }
    return WqlToken{kind, text_.substr(start, pos_ - start), start};
}

bool WqlLexer::DigitAt(std::size_t at) const {
    return at < text_.size() && IsWqlDigit(text_[at]);
}

// A digit, a point before a digit, or a sign before either.
bool WqlLexer::StartsNumber(std::size_t at) const {
    if (at < text_.size() && (text_[at] == '-' || text_[at] == '+')) ++at;
    return DigitAt(at) || (at < text_.size() && text_[at] == '.' && DigitAt(at + 1));
}

void WqlLexer::Number() {
    const auto digits = [this] {
        while (DigitAt(pos_)) ++pos_;
    };
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    digits();
    if (pos_ < text_.size() && text_[pos_] == '.') {
        ++pos_;
        digits();
    }
    // An exponent only when digits follow it: "1e" is the number 1 and the name e.
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
        std::size_t exponent = pos_ + 1;
        if (exponent < text_.size() && (text_[exponent] == '-' || text_[exponent] == '+'))
            ++exponent;
        if (DigitAt(exponent)) {
            pos_ = exponent;
            digits();
        }
    }
}

WqlToken WqlLexer::Quoted(std::size_t start) {
    const char quote = text_[start];
    for (pos_ = start + 1; pos_ < text_.size(); ++pos_) {
        if (text_[pos_] == '\\') {
            ++pos_;
        } else if (text_[pos_] == quote) {
            ++pos_;
            return WqlToken{WqlToken::Kind::Text, text_.substr(start + 1, pos_ - start - 2),
                            start};
        }
    }
    pos_ = text_.size();
    return WqlToken{WqlToken::Kind::Unclosed, text_.substr(start), start};
}

WqlToken WqlLexer::Braced(std::size_t start) {
    bool quoted = false;
    for (pos_ = start + 1; pos_ < text_.size(); ++pos_) {
        const char c = text_[pos_];
        if (quoted && c == '\\') {
            ++pos_;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == '}' && !quoted) {
            ++pos_;
            return WqlToken{WqlToken::Kind::Path,
                            WithoutOuterBlanks(text_.substr(start + 1, pos_ - start - 2)), start};
        }
    }
    pos_ = text_.size();
    return WqlToken{WqlToken::Kind::Unclosed, text_.substr(start), start};
}

std::string QuotedText(std::string_view asWritten) {
    std::string text;
    text.reserve(asWritten.size());
    for (std::size_t i = 0; i < asWritten.size(); ++i) {
        if (asWritten[i] == '\\' && i + 1 < asWritten.size()) ++i;
        text += asWritten[i];
    }
    return text;
}

bool IsKeyword(const WqlToken& token, std::string_view keyword) {
    return token.kind == WqlToken::Kind::Name && SameName(token.text, keyword);
}

bool IsSymbol(const WqlToken& token, char symbol) {
    return token.kind == WqlToken::Kind::Symbol && token.text.front() == symbol;
}

}  // namespace norvwmi
