#include "events/hardware_snapshot.h"

#include <cstddef>

namespace norv {

std::string LogEntryIdentity(const SelEntry& entry) {
    const std::size_t length = static_cast<std::size_t>(entry.raw[0] | (entry.raw[1] << 8));
    const std::size_t kept = length < entry.raw.size() ? length : entry.raw.size();
    return std::string(entry.raw.begin(), entry.raw.begin() + static_cast<std::ptrdiff_t>(kept));
}

}  // namespace norv
