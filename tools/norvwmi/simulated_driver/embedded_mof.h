// The MOF files compiled into the host at build time, so that the program needs no file
// beside it: WMI's system classes, the health driver's classes, the host's directives, the
// served classes and the default platform description. Each is named by its path in the
// source tree, which is also the file name its reading errors give.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace norvwmi {

inline constexpr std::string_view kSystemMofName = "tools/norvwmi/system.mof";
inline constexpr std::string_view kHealthMofName = "tools/norvwmi/health.mof";
inline constexpr std::string_view kHostMofName = "tools/norvwmi/host.mof";
inline constexpr std::string_view kServedMofName = "mof/Norvipmiprv.mof";
inline constexpr std::string_view kDefaultPlatformName = "platforms/default.mof";

struct EmbeddedMof {
    std::string_view name;
    std::string_view text;
};

// The files in the order above.
std::span<const EmbeddedMof> EmbeddedMofFiles();

// The text of an embedded file; nullopt for a name not in the table.
std::optional<std::string_view> EmbeddedMofText(std::string_view name);

}  // namespace norvwmi
