// A WMI object path as the object-path parser object holds it, in UTF-16: its parts read by
// the host's one path grammar (repository/object_path.h) and written back as text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace norvwmi {

// A key's value as written; the alternative decides the CIM type the parser reports. An
// integer takes the smallest of sint32, uint32, sint64, uint64 that holds it.
using PathKeyValue =
    std::variant<std::wstring, std::int32_t, std::uint32_t, std::int64_t, std::uint64_t, bool>;

struct PathKey {
    std::wstring name;  // empty for the unnamed key of Class=value
    PathKeyValue value;
};

struct PathParts {
    std::optional<std::wstring> server;  // as written after \\ or //
    std::vector<std::wstring> namespaces;
    std::wstring className;  // empty when the path names no class
    std::vector<PathKey> keys;
    bool singleton = false;
    bool parent = false;  // the path ".."

    bool IsEmpty() const {
        return !server && namespaces.empty() && className.empty() && keys.empty() && !singleton &&
               !parent;
    }
};

// The text read by the path grammar under SetText's `mode`, its WBEMPATH_CREATE_* and
// WBEMPATH_TREAT_SINGLE_IDENT_AS_NS bits: at least one of
// ACCEPT_RELATIVE, ACCEPT_ABSOLUTE, ACCEPT_ALL must be set; a path without a server needs
// ACCEPT_RELATIVE or ACCEPT_ALL; the empty text and a server alone need ACCEPT_ALL;
// TREAT_SINGLE_IDENT_AS_NS reads a lone identifier as a namespace. nullopt: not accepted.
std::optional<PathParts> ParsePathText(std::wstring_view text, ULONG mode);

// "text" with " and \ escaped when `quoted`, else the text itself; 42; -7; TRUE.
std::wstring FormatPathKeyValue(const PathKeyValue& value, bool quoted);

// The keys as a path writes them after the class: A="x",B=1 (the unnamed key as its value).
std::wstring FormatPathKeys(const std::vector<PathKey>& keys, bool quoted);

// Class, Class.A="x",B=1, Class="x", Class=@, or ".."; empty when the path has no class.
std::wstring FormatRelativePath(const PathParts& parts);

}  // namespace norvwmi
