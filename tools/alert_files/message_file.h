// The message compiler's input (.mc) for the module's message table: one message per row of
// the alert catalogue, in English.
#pragma once

#include <string>

namespace norv {

std::string MessageFile();

}  // namespace norv
