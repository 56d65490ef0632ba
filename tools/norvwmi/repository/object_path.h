// WMI object paths, the one grammar of the host (its repository and its path parser object):
//   [\\server][\namespace\...:]Class[.Key=value,...]     (/ may stand for \)
//   Class=value        the one key, unnamed
//   Class=@            a singleton
//   \\server\ns\...    a server and namespace without a class
//   ..                 the parent namespace
// Key values are "text" with \" and \\ escaped (any other backslash stands for itself),
// decimal or 0x integers, or TRUE and FALSE in any letter case, as Windows reads them.
// Names are a letter, an underscore or any character beyond ASCII, then digits too. Nothing
// else is read: no blanks outside quotes, no trailing comma, no sign but '-'.
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
    std::string server;                   // empty when the path names none
    std::vector<std::string> namespaces;  // root, cimv2
    std::string className;                // empty when the path names no class
    std::vector<KeyBinding> keys;
    bool singleton = false;
    bool parent = false;  // the path ".."

    bool IsClass() const { return keys.empty() && !singleton; }
    // root\cimv2, or \\server\root\cimv2 when the path names a server too; empty when the
    // path names no namespace.
    std::string NamespaceText() const;
};

// Any text of the grammar, the namespace and server paths too; with `loneNameIsNamespace` a
// text of one name alone is a namespace rather than a class. nullopt when not a path.
std::optional<ObjectPath> ReadPathText(std::string_view text, bool loneNameIsNamespace = false);

// A path that names a class or an instance; nullopt for any other text.
std::optional<ObjectPath> ParseObjectPath(std::string_view text);

// A key value as it appears in a path: "text" with \" and \\ escaped, 42, -7, TRUE.
std::string FormatKeyValue(const CimValue& value);

// Class.KeyA="x",KeyB=3 with the keys ordered by name without regard to case, as WMI
// writes __RELPATH; Class=@ when there are no keys and `singleton` is set, else Class; and
// Class="v" for the one key written without its name.
std::string FormatRelativePath(std::string_view className, std::vector<KeyBinding> keys,
                               bool singleton);

}  // namespace norvwmi
