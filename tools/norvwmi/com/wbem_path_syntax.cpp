#include "com/wbem_path_syntax.h"

#include <wmiutils.h>

#include <cstddef>
#include <limits>
#include <type_traits>
#include <utility>

namespace norvwmi {

namespace {

constexpr bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}
constexpr bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}
// CIM identifiers: a letter, an underscore or any character beyond ASCII first.
constexpr bool IsIdentifierStart(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || c >= 0x80;
}
constexpr bool IsIdentifierChar(wchar_t c) {
    return IsIdentifierStart(c) || IsDigit(c);
}
constexpr bool IsServerNameChar(wchar_t c) {
    return IsIdentifierChar(c) || c == L'.' || c == L'-';
}

int HexDigit(wchar_t c) {
    if (IsDigit(c)) return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

bool SameLetters(std::wstring_view word, std::wstring_view upper) {
    if (word.size() != upper.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        wchar_t c = word[i];
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c != upper[i]) return false;
    }
    return true;
}

// The first `wanted` outside a quoted key value, or npos.
std::size_t FindOutsideQuotes(std::wstring_view text, wchar_t wanted) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (quoted) {
            if (c == L'\\' && i + 1 < text.size()) {
                ++i;
            } else if (c == L'"') {
                quoted = false;
            }
        } else if (c == L'"') {
            quoted = true;
        } else if (c == wanted) {
            return i;
        }
    }
    return std::wstring_view::npos;
}

// Without a colon, "root\cimv2" names namespaces while "Class.Key=\"a\\b\"" names an object:
// a separator before the class part ends (at '.', '=' or a quote) makes it a namespace path.
bool LeadsWithNamespace(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (c == L'.' || c == L'=' || c == L'"') return false;
        if (IsSeparator(c)) return true;
    }
    return false;
}

class Reader {
public:
    explicit Reader(std::wstring_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }
    wchar_t Peek() const { return AtEnd() ? L'\0' : text_[pos_]; }
    bool Take(wchar_t c) {
        if (AtEnd() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }

    std::optional<std::wstring> Identifier() {
        if (AtEnd() || !IsIdentifierStart(Peek())) return std::nullopt;
        const std::size_t start = pos_;
        while (!AtEnd() && IsIdentifierChar(Peek())) ++pos_;
        return std::wstring(text_.substr(start, pos_ - start));
    }

    std::optional<PathKeyValue> Value() {
        const wchar_t c = Peek();
        if (c == L'"') return QuotedText();
        if (c == L'-' || IsDigit(c)) return Integer();
        const auto word = Identifier();
        if (!word) return std::nullopt;
        if (SameLetters(*word, L"TRUE")) return PathKeyValue(true);
        if (SameLetters(*word, L"FALSE")) return PathKeyValue(false);
        return std::nullopt;
    }

private:
    std::optional<PathKeyValue> QuotedText() {
        ++pos_;
        std::wstring value;
        while (!AtEnd()) {
            const wchar_t c = text_[pos_++];
            if (c == L'"') return PathKeyValue(std::move(value));
            // Only \" and \\ are escapes; any other backslash stands for itself.
            if (c == L'\\' && (Peek() == L'"' || Peek() == L'\\')) {
                value += text_[pos_++];
            } else {
                value += c;
            }
        }
        return std::nullopt;  // the closing quote is missing
    }

    std::optional<PathKeyValue> Integer() {
        const bool negative = Take(L'-');
        const bool hex = !negative && Peek() == L'0' && pos_ + 1 < text_.size() &&
                         (text_[pos_ + 1] == L'x' || text_[pos_ + 1] == L'X');
        if (hex) pos_ += 2;
        const std::uint64_t base = hex ? 16 : 10;
        std::uint64_t magnitude = 0;
        std::size_t digits = 0;
        for (; !AtEnd(); ++pos_, ++digits) {
            const int digit = hex ? HexDigit(Peek()) : (IsDigit(Peek()) ? Peek() - L'0' : -1);
            if (digit < 0) break;
            const auto value = static_cast<std::uint64_t>(digit);
            if (magnitude > (std::numeric_limits<std::uint64_t>::max() - value) / base) {
                return std::nullopt;  // beyond 64 bits
            }
            magnitude = magnitude * base + value;
        }
        if (digits == 0) return std::nullopt;
        return negative ? Negative(magnitude) : Positive(magnitude);
    }

    static std::optional<PathKeyValue> Negative(std::uint64_t magnitude) {
        constexpr auto kInt32Limit = std::uint64_t{1} << 31;
        constexpr auto kInt64Limit = std::uint64_t{1} << 63;
        if (magnitude <= kInt32Limit) {
            return PathKeyValue(static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude)));
        }
        if (magnitude < kInt64Limit) return PathKeyValue(-static_cast<std::int64_t>(magnitude));
        if (magnitude == kInt64Limit) return PathKeyValue(std::numeric_limits<std::int64_t>::min());
        return std::nullopt;
    }

    static PathKeyValue Positive(std::uint64_t magnitude) {
        if (magnitude <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
            return static_cast<std::int32_t>(magnitude);
        }
        if (magnitude <= std::numeric_limits<std::uint32_t>::max()) {
            return static_cast<std::uint32_t>(magnitude);
        }
        if (magnitude <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(magnitude);
        }
        return magnitude;
    }

    std::wstring_view text_;
    std::size_t pos_ = 0;
};

bool IsLoneIdentifier(std::wstring_view text) {
    Reader reader(text);
    return reader.Identifier() && reader.AtEnd();
}

// root\cimv2, /root/cimv2, \root: components of identifier characters, one leading
// separator allowed, none empty.
bool ReadNamespaces(std::wstring_view text, std::vector<std::wstring>& namespaces) {
    if (!text.empty() && IsSeparator(text.front())) text.remove_prefix(1);
    if (text.empty()) return true;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsSeparator(text[i])) {
            if (!IsIdentifierChar(text[i])) return false;
            continue;
        }
        if (i == start) return false;
        namespaces.emplace_back(text.substr(start, i - start));
        start = i + 1;
    }
    return true;
}

bool ReadObject(std::wstring_view text, PathParts& parts) {
    if (text == L"..") {
        parts.parent = true;
        return true;
    }
    Reader reader(text);
    auto className = reader.Identifier();
    if (!className) return false;
    parts.className = std::move(*className);
    if (reader.AtEnd()) return true;
    if (reader.Take(L'=')) {
        if (reader.Take(L'@')) {
            parts.singleton = true;
            return reader.AtEnd();
        }
        auto value = reader.Value();
        if (!value) return false;
        parts.keys.push_back(PathKey{std::wstring(), std::move(*value)});
        return reader.AtEnd();
    }
    if (!reader.Take(L'.')) return false;
    do {
        auto name = reader.Identifier();
        if (!name || !reader.Take(L'=')) return false;
        auto value = reader.Value();
        if (!value) return false;
        parts.keys.push_back(PathKey{std::move(*name), std::move(*value)});
    } while (reader.Take(L','));
    return reader.AtEnd();
}

}  // namespace

std::optional<PathParts> ParsePathText(std::wstring_view text, ULONG mode) {
    constexpr ULONG kAcceptance = WBEMPATH_CREATE_ACCEPT_RELATIVE |
                                  WBEMPATH_CREATE_ACCEPT_ABSOLUTE | WBEMPATH_CREATE_ACCEPT_ALL;
    if ((mode & kAcceptance) == 0) return std::nullopt;
    const bool acceptAll = (mode & WBEMPATH_CREATE_ACCEPT_ALL) != 0;
    const bool acceptWithoutServer =
        (mode & (WBEMPATH_CREATE_ACCEPT_RELATIVE | WBEMPATH_CREATE_ACCEPT_ALL)) != 0;

    PathParts parts;
    if (text.empty()) return acceptAll ? std::optional<PathParts>(parts) : std::nullopt;

    std::wstring_view rest = text;
    const bool hasServer = rest.size() >= 2 && IsSeparator(rest[0]) && rest[1] == rest[0];
    if (hasServer) {
        rest.remove_prefix(2);
        std::size_t end = 0;
        while (end < rest.size() && !IsSeparator(rest[end])) {
            if (!IsServerNameChar(rest[end])) return std::nullopt;
            ++end;
        }
        if (end == 0) return std::nullopt;
        parts.server = std::wstring(rest.substr(0, end));
        rest.remove_prefix(end);
        if (rest.empty()) return acceptAll ? std::optional<PathParts>(parts) : std::nullopt;
    } else if (!acceptWithoutServer) {
        return std::nullopt;
    }

    std::wstring_view namespaceText;
    std::optional<std::wstring_view> objectText;
    const std::size_t colon = FindOutsideQuotes(rest, L':');
    if (colon != std::wstring_view::npos) {
        namespaceText = rest.substr(0, colon);
        objectText = rest.substr(colon + 1);
    } else if (hasServer || LeadsWithNamespace(rest)) {
        namespaceText = rest;
    } else if ((mode & WBEMPATH_TREAT_SINGLE_IDENT_AS_NS) != 0 && IsLoneIdentifier(rest)) {
        namespaceText = rest;
    } else {
        objectText = rest;
    }
    if (!ReadNamespaces(namespaceText, parts.namespaces)) return std::nullopt;
    if (objectText && !ReadObject(*objectText, parts)) return std::nullopt;
    return parts;
}

std::wstring FormatPathKeyValue(const PathKeyValue& value, bool quoted) {
    return std::visit(
        [quoted](const auto& v) -> std::wstring {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::wstring>) {
                if (!quoted) return v;
                std::wstring text = L"\"";
                for (const wchar_t c : v) {
                    if (c == L'"' || c == L'\\') text += L'\\';
                    text += c;
                }
                return text + L"\"";
            } else if constexpr (std::is_same_v<T, bool>) {
                return v ? L"TRUE" : L"FALSE";
            } else {
                return std::to_wstring(v);
            }
        },
        value);
}

std::wstring FormatPathKeys(const std::vector<PathKey>& keys, bool quoted) {
    std::wstring text;
    for (const PathKey& key : keys) {
        if (!text.empty()) text += L',';
        if (!key.name.empty()) text += key.name + L"=";
        text += FormatPathKeyValue(key.value, quoted);
    }
    return text;
}

std::wstring FormatRelativePath(const PathParts& parts) {
    if (parts.parent) return L"..";
    if (parts.className.empty()) return {};
    std::wstring text = parts.className;
    if (parts.singleton) {
        text += L"=@";
    } else if (parts.keys.size() == 1 && parts.keys.front().name.empty()) {
        text += L"=" + FormatPathKeyValue(parts.keys.front().value, true);
    } else if (!parts.keys.empty()) {
        text += L"." + FormatPathKeys(parts.keys, true);
    }
    return text;
}

}  // namespace norvwmi
