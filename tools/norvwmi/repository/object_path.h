// WMI object paths as the host reads and writes them:
//   [\\server\namespace:]Class                      a class
//   [\\server\namespace:]Class.Key="v",Key2=3       an instance by its keys
//   Class="v"                                      the one key, unnamed
//   Class=@                                        a singleton
// Key values are quoted strings (\" and \\ escaped), decimal integers or TRUE/FALSE.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "repository/cim_value.h"

namespace norvwmi {

struct KeyBinding {
    std::string name;  // empty in the Class=value form
    CimValue value;    // std::string, bool, std::uint64_t, or std::int64_t when negative
};

struct ObjectPath {
    std::string server;     // empty when the path is relative
    std::string nameSpace;  // with backslashes; empty when the path names none
    std::string className;
    std::vector<KeyBinding> keys;
    bool singleton = false;

    bool IsClass() const { return keys.empty() && !singleton; }
};

// nullopt when the text is not an object path.
std::optional<ObjectPath> ParseObjectPath(std::string_view text);

// A key value as it appears in a path: "text" with \" and \\ escaped, 42, -7, TRUE.
std::string FormatKeyValue(const CimValue& value);

// Class.KeyA="x",KeyB=3 with the keys ordered by name without regard to case, as WMI
// writes __RELPATH; Class=@ when there are no keys and `singleton` is set, else Class; and
// Class="v" for the one key written without its name.
std::string FormatRelativePath(std::string_view className, std::vector<KeyBinding> keys,
                               bool singleton);

}  // namespace norvwmi
