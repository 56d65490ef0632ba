// The words of WQL, the one reading of every statement the host takes: data queries, the
// association statements and event queries. A word is a name (a letter or an underscore,
// then digits too), a number (digits, a decimal part allowed), a quoted text ('...' or "...",
// a backslash taking the next character as it is), an object path between braces (quotes
// inside it kept whole), or one other character (* , = ...). Blanks (space, tab, carriage
// return, line feed) separate words and are none.
#pragma once

#include <cstddef>
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
    WqlToken Quoted(std::size_t start);
    WqlToken Braced(std::size_t start);

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Whether the token is the name `keyword` in any letter case.
bool IsKeyword(const WqlToken& token, std::string_view keyword);

// Whether the token is the one character `symbol`.
bool IsSymbol(const WqlToken& token, char symbol);

}  // namespace norvwmi
