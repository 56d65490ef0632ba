// Splits MOF text into tokens. The text is untrusted (it is fuzzed): every read is
// bounds-checked, and the first malformed token ends the scan with a message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace norvwmi {

enum class MofTokenKind {
    End,          // no more text
    Invalid,      // malformed text; `message` says why
    Identifier,   // names and keywords alike; the parser tells them apart, ignoring case
    Integer,      // decimal or hex, with an optional sign
    Real,         // digits with a point and/or an exponent
    String,       // one "..." literal, escapes decoded
    Alias,        // $Name
    Pragma,       // #pragma
    Punctuation,  // one of { } [ ] ( ) ; , : =
};

struct MofToken {
    MofTokenKind kind = MofTokenKind::End;
    std::string_view text;  // the token as written
    int line = 1;           // where it starts

    std::string stringValue;      // String: decoded text; Alias: the name without '$'
    bool negative = false;        // Integer: a '-' was written
    std::uint64_t magnitude = 0;  // Integer: absolute value
    double real = 0.0;            // Real
    std::string message;          // Invalid

    bool Is(char punctuation) const {
        return kind == MofTokenKind::Punctuation && text.size() == 1 && text[0] == punctuation;
    }
};

class MofLexer {
public:
    explicit MofLexer(std::string_view text);

    // The next token; once End or Invalid has been returned, it is returned again.
    MofToken Next();

    // The line the scan has reached (the last line at the end of the text).
    int Line() const { return line_; }

private:
    bool SkipBlanksAndComments(MofToken& failure);
    MofToken ScanNumber();
    MofToken ScanString();
    MofToken ScanWord(MofTokenKind kind, std::size_t prefixLength);
    MofToken Fail(std::size_t start, int line, std::string message);
    MofToken Make(MofTokenKind kind, std::size_t start, int line);

    char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    bool AtEnd(std::size_t ahead = 0) const { return pos_ + ahead >= text_.size(); }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool finished_ = false;
    MofToken last_;
};

}  // namespace norvwmi
