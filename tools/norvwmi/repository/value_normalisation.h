// Whether a property's CIM type accepts a value written in MOF, and the form the
// repository keeps it in: signed integer types as std::int64_t, unsigned ones and
// char16 as std::uint64_t, reals as double (real32 rounded to float precision).
#pragma once

#include <optional>
#include <string>

#include "repository/cim_class_definition.h"

namespace norvwmi {

// Normalises `value` in place for `property` (a default value or an instance value).
// Returns why the type does not accept it, e.g. "300 is out of range for uint8
// property 'Level'"; the value is then unspecified. NULL is accepted for every
// property; alias references must have been resolved to path text before.
std::optional<std::string> NormaliseToProperty(const PropertyDefinition& property, CimValue& value);

// "yyyymmddHHMMSS.mmmmmmsUUU" (s is + or -) or the interval "ddddddddHHMMSS.mmmmmm:000";
// any digit may be '*' (field not significant). Only the form is checked, not the ranges.
bool IsCimDateTimeText(std::string_view text);

}  // namespace norvwmi
