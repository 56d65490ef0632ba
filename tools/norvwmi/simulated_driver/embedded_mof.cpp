#include "simulated_driver/embedded_mof.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "embedded/default_platform_mof.h"
#include "embedded/health_mof.h"
#include "embedded/host_mof.h"
#include "embedded/served_mof.h"
#include "embedded/system_mof.h"

namespace norvwmi {

namespace {

// The generated arrays end with a '\0' that is not part of the file.
template <std::size_t N>
constexpr std::string_view FileText(const char (&bytes)[N]) {
    return std::string_view(bytes, N - 1);
}

constexpr std::array kEmbeddedMofFiles{
    EmbeddedMof{kSystemMofName, FileText(embedded::kSystemMof)},
    EmbeddedMof{kHealthMofName, FileText(embedded::kHealthMof)},
    EmbeddedMof{kHostMofName, FileText(embedded::kHostMof)},
    EmbeddedMof{kServedMofName, FileText(embedded::kServedMof)},
    EmbeddedMof{kDefaultPlatformName, FileText(embedded::kDefaultPlatformMof)},
};

}  // namespace

std::span<const EmbeddedMof> EmbeddedMofFiles() {
    return kEmbeddedMofFiles;
}

std::optional<std::string_view> EmbeddedMofText(std::string_view name) {
    const auto found = std::find_if(kEmbeddedMofFiles.begin(), kEmbeddedMofFiles.end(),
                                    [&](const EmbeddedMof& file) { return file.name == name; });
    if (found == kEmbeddedMofFiles.end()) return std::nullopt;
    return found->text;
}

}  // namespace norvwmi
