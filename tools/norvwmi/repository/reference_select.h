// The query WMI hands an association class's provider when it resolves ASSOCIATORS OF or
// REFERENCES OF and the provider takes unary SELECTs: the class's instances one of whose
// references that can name the source names it,
//   SELECT * FROM Class WHERE Role = "path" OR Role = "path"
// with the source's full path in every term, a backslash or double quote in it escaped with
// a backslash.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace norvwmi {

std::string ReferenceSelect(std::string_view className, const std::vector<std::string>& roles,
                            std::string_view sourcePath);

}  // namespace norvwmi
