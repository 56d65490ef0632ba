// The object path a reference property holds: the class name, then every key with its value
// quoted, as WMI writes an instance's __RELPATH (keys in the order of their names, letter
// case aside; a backslash or double quote in a value escaped with a backslash). The path is
// relative to the provider's namespace, so GetObject through the class's provider resolves it.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/instance_columns.h"

namespace norv {

// A key of a path: its name and its value as text.
using PathKey = std::pair<std::string, std::string>;

std::string ReferencePath(std::string_view className, std::vector<PathKey> keys);

// The path of the instance the data is, read off the class's key columns.
template <typename Data, std::size_t Size>
std::string ReferencePathOf(std::string_view className,
                            const std::array<Column<Data>, Size>& columns, const Data& data) {
    std::vector<PathKey> keys;
    for (const Column<Data>& column : columns) {
        if (column.key) keys.emplace_back(NarrowName(column.name), KeyText(column.value(data)));
    }
    return ReferencePath(className, std::move(keys));
}

// Whether two paths made by ReferencePath name the same instance: class and key names
// compare without letter case, values exactly.
bool SameReferencePath(std::string_view a, std::string_view b);

}  // namespace norv
