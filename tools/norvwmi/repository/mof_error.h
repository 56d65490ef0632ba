// The first fault found in MOF text or in what it declares: where, and what was
// expected or wrong ("expected ';' after property declaration, found '}'").
#pragma once

#include <string>
#include <string_view>

#include "repository/cim_class_definition.h"

namespace norvwmi {

struct MofError {
    std::string file;
    int line = 0;
    std::string message;

    bool operator==(const MofError&) const = default;
};

// A name as a fault message quotes it: 'name'.
inline std::string Quoted(std::string_view name) {
    return "'" + std::string(name) + "'";
}

// A fault found at a place of the MOF text.
inline MofError ErrorAt(const SourceLocation& where, std::string message) {
    return MofError{where.file, where.line, std::move(message)};
}

// "file:line: message", the form compilers use, so editors can jump to it.
inline std::string FormatMofError(const MofError& error) {
    return error.file + ":" + std::to_string(error.line) + ": " + error.message;
}

}  // namespace norvwmi
