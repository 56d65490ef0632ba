// The first fault found in MOF text or in what it declares: where, and what was
// expected or wrong ("expected ';' after property declaration, found '}'").
#pragma once

#include <string>

namespace norvwmi {

struct MofError {
    std::string file;
    int line = 0;
    std::string message;

    bool operator==(const MofError&) const = default;
};

// "file:line: message", the form compilers use, so editors can jump to it.
inline std::string FormatMofError(const MofError& error) {
    return error.file + ":" + std::to_string(error.line) + ": " + error.message;
}

}  // namespace norvwmi
