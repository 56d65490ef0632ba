#include "repository/mof_lexer.h"

#include <array>
#include <charconv>
#include <limits>
#include <system_error>

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

constexpr std::string_view kPunctuation = "{}[]();,:=";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct SimpleEscape {
    char written;  // after the backslash
    char meaning;
};

constexpr std::array kSimpleEscapes{
    SimpleEscape{'b', '\b'},  SimpleEscape{'t', '\t'},  SimpleEscape{'n', '\n'},
    SimpleEscape{'f', '\f'},  SimpleEscape{'r', '\r'},  SimpleEscape{'"', '"'},
    SimpleEscape{'\'', '\''}, SimpleEscape{'\\', '\\'},
};

const char* SimpleEscapeMeaning(char written) {
    for (const SimpleEscape& escape : kSimpleEscapes)
        if (escape.written == written) return &escape.meaning;
    return nullptr;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsIdentifierStart(char c) {
    return IsLetter(c) || c == '_';
}
bool IsIdentifierChar(char c) {
    return IsIdentifierStart(c) || IsDigit(c);
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string HexByte(unsigned char byte) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string text = "0x";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
    return text;
}

void AppendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// Length of the well-formed UTF-8 sequence at text[pos], or 0 (overlong forms,
// surrogates and values past U+10FFFF are malformed).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) {
        return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0u;
    };
    const auto continuation = [&](std::size_t i) { return (byte(i) & 0xC0u) == 0x80u; };
    const unsigned lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(1) || !continuation(2)) return 0;
        if (lead == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
        if (lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
        if (lead == 0xF0 && byte(1) < 0x90) return 0;   // overlong
        if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // past U+10FFFF
        return 4;
    }
    return 0;
}

}  // namespace

MofLexer::MofLexer(std::string_view text) : text_(text) {
    if (text_.substr(0, kUtf8Bom.size()) == kUtf8Bom) pos_ = kUtf8Bom.size();
}

MofToken MofLexer::Make(MofTokenKind kind, std::size_t start, int line) {
    MofToken token;
    token.kind = kind;
    token.text = text_.substr(start, pos_ - start);
    token.line = line;
    return token;
}

MofToken MofLexer::Fail(std::size_t start, int line, std::string message) {
    MofToken token;
    token.kind = MofTokenKind::Invalid;
    token.text = text_.substr(start, 0);
    token.line = line;
    token.message = std::move(message);
    finished_ = true;
    last_ = token;
    return token;
}

bool MofLexer::SkipBlanksAndComments(MofToken& failure) {
    while (!AtEnd()) {
        const char c = Peek();
        if (IsBlank(c)) {
            if (c == '\n') ++line_;
            ++pos_;
        } else if (c == '/' && Peek(1) == '/') {
            while (!AtEnd() && Peek() != '\n') ++pos_;
        } else if (c == '/' && Peek(1) == '*') {
            const std::size_t start = pos_;
            const int startLine = line_;
            pos_ += 2;
            for (;;) {
                if (AtEnd()) {
                    failure = Fail(start, startLine, "unterminated comment");
                    return false;
                }
                if (Peek() == '*' && Peek(1) == '/') {
                    pos_ += 2;
                    break;
                }
                if (Peek() == '\n') ++line_;
                ++pos_;
            }
        } else {
            break;
        }
    }
    return true;
}

MofToken MofLexer::Next() {
    if (finished_) return last_;
    if (pos_ == 0 && text_.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(text_[0]);
        const auto b1 = static_cast<unsigned char>(text_[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF))
            return Fail(0, 1, "UTF-16 text is not supported; save the file as UTF-8");
    }
    MofToken failure;
    if (!SkipBlanksAndComments(failure)) return failure;
    if (AtEnd()) {
        finished_ = true;
        last_ = Make(MofTokenKind::End, pos_, line_);
        return last_;
    }

    const std::size_t start = pos_;
    const char c = Peek();
    const bool signedNumber =
        (c == '+' || c == '-') && (IsDigit(Peek(1)) || (Peek(1) == '.' && IsDigit(Peek(2))));
    if (IsDigit(c) || (c == '.' && IsDigit(Peek(1))) || signedNumber) return ScanNumber();
    if (c == '"') return ScanString();
    if (IsIdentifierStart(c)) return ScanWord(MofTokenKind::Identifier, 0);
    if (c == '$') {
        if (!IsIdentifierStart(Peek(1)))
            return Fail(start, line_, "expected an alias name after '$'");
        return ScanWord(MofTokenKind::Alias, 1);
    }
    if (c == '#') {
        MofToken word = ScanWord(MofTokenKind::Pragma, 1);
        if (!SameName(word.text, "#pragma"))
            return Fail(start, word.line,
                        "expected '#pragma', found '" + std::string(word.text) + "'");
        return word;
    }
    if (kPunctuation.find(c) != std::string_view::npos) {
        ++pos_;
        return Make(MofTokenKind::Punctuation, start, line_);
    }
    if (c == '\'')
        return Fail(start, line_, "character literals ('x') are not supported; write a string");
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F)
        return Fail(start, line_, std::string("unexpected character '") + c + "'");
    return Fail(start, line_, "unexpected byte " + HexByte(byte));
}

MofToken MofLexer::ScanWord(MofTokenKind kind, std::size_t prefixLength) {
    const std::size_t start = pos_;
    pos_ += prefixLength;
    while (!AtEnd() && IsIdentifierChar(Peek())) ++pos_;
    MofToken token = Make(kind, start, line_);
    if (kind == MofTokenKind::Alias) token.stringValue = std::string(token.text.substr(1));
    return token;
}

MofToken MofLexer::ScanNumber() {
    const std::size_t start = pos_;
    bool negative = false;
    if (Peek() == '+' || Peek() == '-') {
        negative = Peek() == '-';
        ++pos_;
    }
    const std::size_t digitsStart = pos_;
    std::uint64_t magnitude = 0;
    bool overflow = false;
    bool isReal = false;
    bool hex = false;

    if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
        hex = true;
        pos_ += 2;
        const std::size_t hexStart = pos_;
        for (int digit; !AtEnd() && (digit = HexDigitValue(Peek())) >= 0; ++pos_) {
            if (magnitude > (std::numeric_limits<std::uint64_t>::max() >> 4)) overflow = true;
            magnitude = (magnitude << 4) | static_cast<std::uint64_t>(digit);
        }
        if (pos_ == hexStart) return Fail(start, line_, "expected hex digits after '0x'");
    } else {
        for (; !AtEnd() && IsDigit(Peek()); ++pos_) {
            const auto digit = static_cast<std::uint64_t>(Peek() - '0');
            if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
                overflow = true;
            magnitude = magnitude * 10 + digit;
        }
        if (Peek() == '.') {
            isReal = true;
            ++pos_;
            if (!IsDigit(Peek()))
                return Fail(start, line_, "expected digits after '.' in a number");
            while (!AtEnd() && IsDigit(Peek())) ++pos_;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            isReal = true;
            ++pos_;
            if (Peek() == '+' || Peek() == '-') ++pos_;
            if (!IsDigit(Peek()))
                return Fail(start, line_, "expected digits in the exponent of a number");
            while (!AtEnd() && IsDigit(Peek())) ++pos_;
        }
    }
    if (!AtEnd() && (IsIdentifierChar(Peek()) || Peek() == '.')) {
        while (!AtEnd() && (IsIdentifierChar(Peek()) || Peek() == '.')) ++pos_;
        return Fail(start, line_,
                    "malformed number '" + std::string(text_.substr(start, pos_ - start)) + "'");
    }

    MofToken token = Make(isReal ? MofTokenKind::Real : MofTokenKind::Integer, start, line_);
    const std::string_view written = token.text;
    if (isReal) {
        // from_chars takes a '-' but no '+'.
        const std::string_view number = written.front() == '+' ? written.substr(1) : written;
        const auto [end, ec] =
            std::from_chars(number.data(), number.data() + number.size(), token.real);
        if (ec != std::errc() || end != number.data() + number.size())
            return Fail(start, line_, "real '" + std::string(written) + "' is out of range");
        return token;
    }
    if (!hex && pos_ - digitsStart > 1 && text_[digitsStart] == '0')
        return Fail(start, line_,
                    "leading zeros are not allowed in '" + std::string(written) +
                        "' (octal integers are not supported)");
    const std::uint64_t smallestMagnitude = std::uint64_t{1} << 63;  // of sint64's minimum
    if (overflow || (negative && magnitude > smallestMagnitude))
        return Fail(start, line_, "integer '" + std::string(written) + "' is out of range");
    token.negative = negative;
    token.magnitude = magnitude;
    return token;
}

MofToken MofLexer::ScanString() {
    const std::size_t start = pos_;
    const int startLine = line_;
    std::string value;
    ++pos_;  // opening quote
    for (;;) {
        if (AtEnd()) return Fail(start, startLine, "unterminated string");
        const char c = Peek();
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"') {
            ++pos_;
            break;
        }
        if (c == '\n' || c == '\r')
            return Fail(start, startLine, "unterminated string (a string cannot span lines)");
        if (c == '\\') {
            ++pos_;
            if (AtEnd()) return Fail(start, startLine, "unterminated string");
            const char escape = Peek();
            ++pos_;
            if (const char* meaning = SimpleEscapeMeaning(escape)) {
                value += *meaning;
                continue;
            }
            if (escape != 'x' && escape != 'X') {
                const auto escapeByte = static_cast<unsigned char>(escape);
                if (escapeByte > 0x20 && escapeByte < 0x7F)
                    return Fail(
                        start, line_,
                        std::string("invalid escape sequence '\\") + escape + "' in a string");
                return Fail(start, line_, "invalid escape sequence in a string");
            }
            std::uint32_t codeUnit = 0;
            int digits = 0;  // at most four: one UTF-16 code unit
            for (int digit; digits < 4 && !AtEnd() && (digit = HexDigitValue(Peek())) >= 0;
                 ++digits) {
                codeUnit = (codeUnit << 4) | static_cast<std::uint32_t>(digit);
                ++pos_;
            }
            if (digits == 0)
                return Fail(start, line_, "expected hex digits after '\\x' in a string");
            if (codeUnit == 0) return Fail(start, line_, "'\\x0' (NUL) is not allowed in a string");
            if (codeUnit >= 0xD800 && codeUnit <= 0xDFFF)
                return Fail(start, line_, "'\\x' escape names a lone UTF-16 surrogate");
            AppendUtf8(value, codeUnit);
            continue;
        }
        if (byte < 0x20 && c != '\t')
            return Fail(start, line_, "control character " + HexByte(byte) + " in a string");
        if (byte == 0x7F) return Fail(start, line_, "control character 0x7F in a string");
        if (byte >= 0x80) {
            const std::size_t length = Utf8SequenceLength(text_, pos_);
            if (length == 0) return Fail(start, line_, "invalid UTF-8 in a string");
            value.append(text_.substr(pos_, length));
            pos_ += length;
            continue;
        }
        value += c;
        ++pos_;
    }
    MofToken token = Make(MofTokenKind::String, start, startLine);
    token.stringValue = std::move(value);
    return token;
}

}  // namespace norvwmi
