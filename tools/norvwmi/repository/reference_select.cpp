#include "repository/reference_select.h"

namespace norvwmi {

std::string ReferenceSelect(std::string_view className, const std::vector<std::string>& roles,
                            std::string_view sourcePath) {
    std::string literal = "\"";
    for (const char c : sourcePath) {
        if (c == '\\' || c == '"') literal += '\\';
        literal += c;
    }
    literal += '"';
    std::string query = "SELECT * FROM " + std::string(className) + " WHERE ";
    for (std::size_t at = 0; at < roles.size(); ++at)
        query += (at == 0 ? "" : " OR ") + roles[at] + " = " + literal;
    return query;
}

}  // namespace norvwmi
