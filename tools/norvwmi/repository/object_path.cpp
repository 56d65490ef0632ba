#include "repository/object_path.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

constexpr bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
constexpr bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

class PathReader {
public:
    explicit PathReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    bool Accept(char c) {
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }
    std::string_view Name() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsNameChar(text_[pos_])) ++pos_;
        return text_.substr(start, pos_ - start);
    }
    std::string_view Until(char stop) {
        const std::size_t start = pos_;
        while (!AtEnd() && text_[pos_] != stop) ++pos_;
        return text_.substr(start, pos_ - start);
    }

    std::optional<CimValue> Value() {
        if (Accept('"')) return QuotedText();
        const std::size_t start = pos_;
        if (Peek() == '-' || Peek() == '+') ++pos_;
        while (!AtEnd() && IsNameChar(text_[pos_])) ++pos_;
        const std::string_view word = text_.substr(start, pos_ - start);
        if (SameName(word, "TRUE")) return CimValue{true};
        if (SameName(word, "FALSE")) return CimValue{false};
        return Integer(word);
    }

private:
    std::optional<CimValue> QuotedText() {
        std::string value;
        while (!AtEnd()) {
            char c = text_[pos_++];
            if (c == '"') return CimValue{std::move(value)};
            if (c == '\\') {
                if (AtEnd()) return std::nullopt;
                c = text_[pos_++];
            }
            value.push_back(c);
        }
        return std::nullopt;  // unterminated
    }

    static std::optional<CimValue> Integer(std::string_view word) {
        if (word.empty()) return std::nullopt;
        const bool negative = word.front() == '-';
        if (word.front() == '+' || negative) word.remove_prefix(1);
        std::uint64_t magnitude = 0;
        const auto [end, error] =
            std::from_chars(word.data(), word.data() + word.size(), magnitude);
        if (word.empty() || error != std::errc{} || end != word.data() + word.size())
            return std::nullopt;
        if (!negative) return CimValue{magnitude};
        constexpr std::uint64_t kMostNegative = std::uint64_t{1} << 63;
        if (magnitude > kMostNegative) return std::nullopt;
        if (magnitude == 0) return CimValue{std::uint64_t{0}};
        return CimValue{static_cast<std::int64_t>(0 - magnitude)};
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string WithBackslashes(std::string_view nameSpace) {
    std::string result(nameSpace);
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

// The position of the ':' that ends a namespace prefix, if the path has one: it comes
// before the first '.', '=' or '"' of the class and key part.
std::optional<std::size_t> NamespaceColon(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') return i;
        if (c == '.' || c == '=' || c == '"') return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<ObjectPath> ParseObjectPath(std::string_view text) {
    ObjectPath path;
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        text.remove_prefix(2);
        const auto serverEnd = std::find_if(text.begin(), text.end(), IsSeparator);
        if (serverEnd == text.begin() || serverEnd == text.end()) return std::nullopt;
        path.server.assign(text.begin(), serverEnd);
        text.remove_prefix(path.server.size() + 1);
        const auto colon = NamespaceColon(text);
        if (!colon) return std::nullopt;  // a namespace path names no object
        path.nameSpace = WithBackslashes(text.substr(0, *colon));
        text.remove_prefix(*colon + 1);
    } else if (const auto colon = NamespaceColon(text)) {
        path.nameSpace = WithBackslashes(text.substr(0, *colon));
        text.remove_prefix(*colon + 1);
    }
    if (!path.server.empty() && path.nameSpace.empty()) return std::nullopt;

    PathReader reader(text);
    path.className = std::string(reader.Name());
    if (path.className.empty()) return std::nullopt;
    if (reader.AtEnd()) return path;

    if (reader.Accept('=')) {
        if (reader.Accept('@')) {
            path.singleton = true;
        } else {
            auto value = reader.Value();
            if (!value) return std::nullopt;
            path.keys.push_back(KeyBinding{{}, std::move(*value)});
        }
        if (!reader.AtEnd()) return std::nullopt;
        return path;
    }
    if (!reader.Accept('.')) return std::nullopt;
    do {
        KeyBinding key;
        key.name = std::string(reader.Name());
        if (key.name.empty() || !reader.Accept('=')) return std::nullopt;
        auto value = reader.Value();
        if (!value) return std::nullopt;
        key.value = std::move(*value);
        path.keys.push_back(std::move(key));
    } while (reader.Accept(','));
    if (!reader.AtEnd()) return std::nullopt;
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
