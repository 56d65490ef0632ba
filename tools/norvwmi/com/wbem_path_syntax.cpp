#include "com/wbem_path_syntax.h"

#include <wmiutils.h>

#include <limits>
#include <type_traits>
#include <utility>
#include <variant>

#include "com/wide_text.h"
#include "repository/object_path.h"

namespace norvwmi {

namespace {

// A key's value typed as the parser reports it: an integer in the smallest of sint32, uint32,
// sint64 and uint64 that holds it.
PathKeyValue TypedValue(const CimValue& value) {
    if (const auto* text = std::get_if<std::string>(&value.data)) return Utf8ToWide(*text);
    if (const auto* flag = std::get_if<bool>(&value.data)) return *flag;
    if (const auto* negative = std::get_if<std::int64_t>(&value.data)) {
        if (*negative >= std::numeric_limits<std::int32_t>::min())
            return static_cast<std::int32_t>(*negative);
        return *negative;
    }
    const std::uint64_t magnitude = std::get<std::uint64_t>(value.data);
    if (magnitude <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return static_cast<std::int32_t>(magnitude);
    if (magnitude <= std::numeric_limits<std::uint32_t>::max())
        return static_cast<std::uint32_t>(magnitude);
    if (magnitude <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return static_cast<std::int64_t>(magnitude);
    return magnitude;
}

PathParts WideParts(const ObjectPath& path) {
    PathParts parts;
    if (!path.server.empty()) parts.server = Utf8ToWide(path.server);
    for (const std::string& name : path.namespaces) parts.namespaces.push_back(Utf8ToWide(name));
    parts.className = Utf8ToWide(path.className);
    for (const KeyBinding& key : path.keys)
        parts.keys.push_back(PathKey{Utf8ToWide(key.name), TypedValue(key.value)});
    parts.singleton = path.singleton;
    parts.parent = path.parent;
    return parts;
}

}  // namespace

std::optional<PathParts> ParsePathText(std::wstring_view text, ULONG mode) {
    constexpr ULONG kAcceptance = WBEMPATH_CREATE_ACCEPT_RELATIVE |
                                  WBEMPATH_CREATE_ACCEPT_ABSOLUTE | WBEMPATH_CREATE_ACCEPT_ALL;
    if ((mode & kAcceptance) == 0) return std::nullopt;
    const bool acceptAll = (mode & WBEMPATH_CREATE_ACCEPT_ALL) != 0;
    const bool acceptWithoutServer =
        (mode & (WBEMPATH_CREATE_ACCEPT_RELATIVE | WBEMPATH_CREATE_ACCEPT_ALL)) != 0;
    if (text.empty()) return acceptAll ? std::optional<PathParts>(PathParts{}) : std::nullopt;

    // A text that is not UTF-16 (a lone surrogate) would not come back as written.
    const std::string utf8 = WideToUtf8(text);
    if (Utf8ToWide(utf8) != text) return std::nullopt;
    const auto path = ReadPathText(utf8, (mode & WBEMPATH_TREAT_SINGLE_IDENT_AS_NS) != 0);
    if (!path) return std::nullopt;
    if (path->server.empty() && !acceptWithoutServer) return std::nullopt;
    // A server alone, the text ending after it, needs ACCEPT_ALL.
    const bool serverAlone = !path->server.empty() && utf8.size() == 2 + path->server.size();
    if (serverAlone && !acceptAll) return std::nullopt;
    return WideParts(*path);
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
