// The WQL data query the host answers: SELECT * FROM Class and SELECT A, B FROM Class,
// keywords in any letter case. Anything beyond that (WHERE, ASSOCIATORS OF, ...) is
// recognised as valid WQL the host does not evaluate.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace norvwmi {

struct WqlSelect {
    std::string className;
    bool allProperties = false;           // SELECT *
    std::vector<std::string> properties;  // the select list as written, when not *
};

struct WqlError {
    enum class Kind {
        Syntax,       // not a WQL SELECT statement: WBEM_E_INVALID_QUERY
        Unsupported,  // valid WQL the host does not evaluate: WBEM_E_NOT_SUPPORTED
    };
    Kind kind = Kind::Syntax;
    std::size_t offset = 0;  // of the offending token in the query text
    std::string reason;
};

std::variant<WqlSelect, WqlError> ParseWqlSelect(std::string_view query);

}  // namespace norvwmi
