// The words of WQL, the one reading of every statement the host takes: data queries, the
// association statements, event queries and WHERE conditions. A word is a name (a letter or
// an underscore, then digits too), a number, a quoted text ('...' or "...", a backslash
// taking the next character as it is), an object path between braces (quotes inside it kept
// whole), or one other character (* , = ...). A number is digits with a decimal part allowed
// ("5", "5.", "5.25") or a point and digits (".5"), then an exponent when digits follow the
// e ("1e3", "2.5E-2"), and a sign written against it is its own ("-3", "+.5"). Blanks
// (space, tab, carriage return, line feed) separate words and are none.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace norvwmi {

struct WqlToken {
    enum class Kind {
        Name,
        Number,
        Text,      // `text` is what the quotes hold, as written
        Path,      // `text` is what the braces hold, without its outer blanks
        Symbol,    // any other character
        Unclosed,  // a quote or brace that never closes; `text` runs from it to the end
        End,
    };
    Kind kind = Kind::End;
    std::string_view text;
    std::size_t offset = 0;  // of the word's first character in the statement
};

class WqlLexer {
public:
    explicit WqlLexer(std::string_view statement) : text_(statement) {}

    WqlToken Next();

private:
    bool DigitAt(std::size_t at) const;
    bool StartsNumber(std::size_t at) const;
    void Number();  // from pos_, which StartsNumber
    WqlToken Quoted(std::size_t start);
    WqlToken Braced(std::size_t start);

    std::string_view text_;
    std::size_t pos_ = 0;
};

// What a quoted text says: its characters as written, each backslash taking the next one as
// it is (a backslash at the very end is itself).
std::string QuotedText(std::string_view asWritten);

// Whether the token is the name `keyword` in any letter case.
bool IsKeyword(const WqlToken& token, std::string_view keyword);

// Whether the token is the one character `symbol`.
bool IsSymbol(const WqlToken& token, char symbol);

}  // namespace norvwmi
