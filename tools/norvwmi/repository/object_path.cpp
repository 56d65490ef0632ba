#include "repository/object_path.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/name_case.h"

namespace norvwmi {

namespace {

using norv::NameLess;
using norv::SameName;

constexpr bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}
constexpr bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}
// Every byte of a UTF-8 character beyond ASCII is at least 0x80.
constexpr bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
constexpr bool IsNameChar(char c) {
    return IsNameStart(c) || IsDecimalDigit(c);
}
constexpr bool IsServerNameChar(char c) {
    return IsNameChar(c) || c == '.' || c == '-';
}

int KeyHexDigit(char c) {
    if (IsDecimalDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The first `wanted` outside a quoted key value, or npos.
std::size_t FindOutsideKeyQuotes(std::string_view text, char wanted) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\' && i + 1 < text.size()) {
                ++i;
            } else if (c == '"') {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == wanted) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Without a colon, "root\cimv2" names namespaces while "Class.Key=\"a\\b\"" names an object:
// a separator before the class part ends (at '.', '=' or a quote) makes it a namespace path.
bool LeadsWithNamespace(std::string_view text) {
    for (const char c : text) {
        if (c == '.' || c == '=' || c == '"') return false;
        if (IsSeparator(c)) return true;
    }
    return false;
}

class PathReader {
public:
    explicit PathReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    bool Take(char c) {
        if (AtEnd() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }

    std::optional<std::string> Name() {
        if (AtEnd() || !IsNameStart(Peek())) return std::nullopt;
        const std::size_t start = pos_;
        while (!AtEnd() && IsNameChar(Peek())) ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

    std::optional<CimValue> Value() {
        const char c = Peek();
        if (c == '"') return QuotedText();
        if (c == '-' || IsDecimalDigit(c)) return Integer();
        const auto word = Name();
        if (!word) return std::nullopt;
        if (SameName(*word, "TRUE")) return CimValue{true};
        if (SameName(*word, "FALSE")) return CimValue{false};
        return std::nullopt;
    }

private:
    std::optional<CimValue> QuotedText() {
        ++pos_;
        std::string value;
        while (!AtEnd()) {
            const char c = text_[pos_++];
            if (c == '"') return CimValue{std::move(value)};
            // Only \" and \\ are escapes; any other backslash stands for itself.
            if (c == '\\' && (Peek() == '"' || Peek() == '\\')) {
                value += text_[pos_++];
            } else {
                value += c;
            }
        }
        return std::nullopt;  // the closing quote is missing
    }

    std::optional<CimValue> Integer() {
        const bool negative = Take('-');
        const bool hex = !negative && Peek() == '0' && pos_ + 1 < text_.size() &&
                         (text_[pos_ + 1] == 'x' || text_[pos_ + 1] == 'X');
        if (hex) pos_ += 2;
        const std::uint64_t base = hex ? 16 : 10;
        std::uint64_t magnitude = 0;
        std::size_t digits = 0;
        for (; !AtEnd(); ++pos_, ++digits) {
            const int digit = hex ? KeyHexDigit(Peek()) : (IsDecimalDigit(Peek()) ? Peek() - '0' : -1);
            if (digit < 0) break;
            const auto value = static_cast<std::uint64_t>(digit);
            if (magnitude > (std::numeric_limits<std::uint64_t>::max() - value) / base)
                return std::nullopt;  // beyond 64 bits
            magnitude = magnitude * base + value;
        }
        if (digits == 0) return std::nullopt;
        if (!negative || magnitude == 0) return CimValue{magnitude};
        constexpr std::uint64_t kMostNegative = std::uint64_t{1} << 63;
        if (magnitude > kMostNegative) return std::nullopt;
        return CimValue{static_cast<std::int64_t>(0 - magnitude)};
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool IsLoneName(std::string_view text) {
    PathReader reader(text);
    return reader.Name() && reader.AtEnd();
}

// root\cimv2, /root/cimv2, \root: components of name characters, one leading separator
// allowed, none empty.
bool ReadNamespaces(std::string_view text, std::vector<std::string>& namespaces) {
    if (!text.empty() && IsSeparator(text.front())) text.remove_prefix(1);
    if (text.empty()) return true;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsSeparator(text[i])) {
            if (!IsNameChar(text[i])) return false;
            continue;
        }
        if (i == start) return false;
        namespaces.emplace_back(text.substr(start, i - start));
        start = i + 1;
    }
    return true;
}

bool ReadObject(std::string_view text, ObjectPath& path) {
    if (text == "..") {
        path.parent = true;
        return true;
    }
    PathReader reader(text);
    auto className = reader.Name();
    if (!className) return false;
    path.className = std::move(*className);
    if (reader.AtEnd()) return true;
    if (reader.Take('=')) {
        if (reader.Take('@')) {
            path.singleton = true;
            return reader.AtEnd();
        }
        auto value = reader.Value();
        if (!value) return false;
        path.keys.push_back(KeyBinding{std::string(), std::move(*value)});
        return reader.AtEnd();
    }
    if (!reader.Take('.')) return false;
    do {
        auto name = reader.Name();
        if (!name || !reader.Take('=')) return false;
        auto value = reader.Value();
        if (!value) return false;
        path.keys.push_back(KeyBinding{std::move(*name), std::move(*value)});
    } while (reader.Take(','));
    return reader.AtEnd();
}

}  // namespace

std::string ObjectPath::NamespaceText() const {
    if (namespaces.empty()) return {};
    std::string text = server.empty() ? "" : "\\\\" + server;
    for (const std::string& name : namespaces) {
        if (!text.empty()) text += '\\';
        text += name;
    }
    return text;
}

std::optional<ObjectPath> ReadPathText(std::string_view text, bool loneNameIsNamespace) {
    ObjectPath path;
    std::string_view rest = text;
    const bool hasServer = rest.size() >= 2 && IsSeparator(rest[0]) && rest[1] == rest[0];
    if (hasServer) {
        rest.remove_prefix(2);
        const auto end = std::find_if_not(rest.begin(), rest.end(), IsServerNameChar);
        if (end != rest.end() && !IsSeparator(*end)) return std::nullopt;
        path.server.assign(rest.begin(), end);
        if (path.server.empty()) return std::nullopt;
        rest.remove_prefix(path.server.size());
        if (rest.empty()) return path;
    }

    std::string_view namespaceText;
    std::optional<std::string_view> objectText;
    const std::size_t colon = FindOutsideKeyQuotes(rest, ':');
    if (colon != std::string_view::npos) {
        namespaceText = rest.substr(0, colon);
        objectText = rest.substr(colon + 1);
    } else if (hasServer || LeadsWithNamespace(rest) ||
               (loneNameIsNamespace && IsLoneName(rest))) {
        namespaceText = rest;
    } else {
        objectText = rest;
    }
    if (!ReadNamespaces(namespaceText, path.namespaces)) return std::nullopt;
    if (objectText && !ReadObject(*objectText, path)) return std::nullopt;
    return path;
}

std::optional<ObjectPath> ParseObjectPath(std::string_view text) {
    auto path = ReadPathText(text);
    if (!path || path->className.empty()) return std::nullopt;
    return path;
}
std::string FormatKeyValue(const CimValue& value) {
    if (const auto* text = std::get_if<std::string>(&value.data)) {
        std::string quoted = "\"";
        for (char c : *text) {
            if (c == '"' || c == '\\') quoted.push_back('\\');
            quoted.push_back(c);
        }
        quoted.push_back('"');
        return quoted;
    }
    if (const auto* flag = std::get_if<bool>(&value.data)) return *flag ? "TRUE" : "FALSE";
    if (const auto* number = std::get_if<std::uint64_t>(&value.data))
        return std::to_string(*number);
    if (const auto* number = std::get_if<std::int64_t>(&value.data)) return std::to_string(*number);
    if (const auto* real = std::get_if<double>(&value.data)) {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, *real);
        return std::string(buffer, result.ptr);
    }
    return {};
}

std::string FormatRelativePath(std::string_view className, std::vector<KeyBinding> keys,
                               bool singleton) {
    std::string path(className);
    if (keys.empty()) {
        if (singleton) path += "=@";
        return path;
    }
    // The one key written without its name stays so: Class="v".
    if (keys.size() == 1 && keys.front().name.empty())
        return path + "=" + FormatKeyValue(keys.front().value);
    std::stable_sort(keys.begin(), keys.end(), [](const KeyBinding& a, const KeyBinding& b) {
        return NameLess(a.name, b.name);
    });
    char separator = '.';
    for (const KeyBinding& key : keys) {
        path += separator;
        path += key.name;
        path += '=';
        path += FormatKeyValue(key.value);
        separator = ',';
    }
    return path;
}

}  // namespace norvwmi
