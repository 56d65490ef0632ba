// Whether two object paths name one object, as WMI compares an association's references
// with a source: class and key names without regard to case, string values exactly,
// numbers by value, keys in any order (the unnamed form Class="v" matches the one named
// key). Namespace prefixes are the caller's: compare paths of one namespace.
#pragma once

#include "repository/object_path.h"

namespace norvwmi {

bool SameObject(const ObjectPath& a, const ObjectPath& b);

}  // namespace norvwmi
