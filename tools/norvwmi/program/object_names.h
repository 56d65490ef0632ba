// The names a person knows the served objects by, for the table of an association and the
// association graph: an object's Name; a log record, whose ElementName all records share, as
// "record N" (its RecordID); else its ElementName; else its relative path.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "repository/cim_object.h"
#include "repository/object_path.h"

namespace norvwmi {

std::string DisplayName(const CimObject& object);

// Whether the object links others: an association, with two references or more.
bool IsLink(const CimObject& object);

// Objects' names by their paths, matched as WMI compares paths (object_path_match.h).
class ObjectNames {
public:
    explicit ObjectNames(std::span<const CimObject> objects);

    // The name of the object `path` names; nullopt when it names none of them.
    std::optional<std::string> Find(std::string_view path) const;

    // The name of the object `path` names; the path itself when it names none of them.
    std::string NameOf(std::string_view path) const;

private:
    std::vector<std::pair<ObjectPath, std::string>> named_;
};

}  // namespace norvwmi
