#include "host/reference_path.h"

#include <algorithm>

#include "platform/name_case.h"

namespace norv {

std::string ReferencePath(std::string_view className, std::vector<PathKey> keys) {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const PathKey& a, const PathKey& b) { return NameLess(a.first, b.first); });
    std::string path(className);
    char separator = '.';
    for (const auto& [name, value] : keys) {
        path += separator;
        path += name;
        path += "=\"";
        for (const char c : value) {
            if (c == '"' || c == '\\') path += '\\';
            path += c;
        }
        path += '"';
        separator = ',';
    }
    return path;
}

// Outside a quoted value letters compare without case; inside one every character counts,
// an escaped one with its backslash.
bool SameReferencePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    bool quoted = false;
    for (std::size_t at = 0; at < a.size(); ++at) {
        if (quoted) {
            if (a[at] != b[at]) return false;
            if (a[at] == '\\' && at + 1 < a.size()) {
                ++at;
                if (a[at] != b[at]) return false;
            } else if (a[at] == '"') {
                quoted = false;
            }
        } else {
            if (FoldAsciiCase(a[at]) != FoldAsciiCase(b[at])) return false;
            if (a[at] == '"') quoted = true;
        }
    }
    return true;
}

}  // namespace norv
