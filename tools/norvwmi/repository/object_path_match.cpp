#include "repository/object_path_match.h"

#include <algorithm>

#include "repository/name_compare.h"

namespace norvwmi {

bool SameObject(const ObjectPath& a, const ObjectPath& b) {
    if (!SameName(a.className, b.className) || a.singleton != b.singleton ||
        a.keys.size() != b.keys.size())
        return false;
    if (a.keys.size() == 1 && (a.keys[0].name.empty() || b.keys[0].name.empty()))
        return a.keys[0].value == b.keys[0].value;
    return std::all_of(a.keys.begin(), a.keys.end(), [&](const KeyBinding& key) {
        return std::any_of(b.keys.begin(), b.keys.end(), [&](const KeyBinding& other) {
            return SameName(key.name, other.name) && key.value == other.value;
        });
    });
}

}  // namespace norvwmi
