// The one "ComputerSystem" instance, the management controller: its property values, built
// from the controller record and the health driver's version on every request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inventory/controller_record.h"

namespace norv {

// Where and how the health driver's version is read.
inline constexpr std::string_view kDriverVersionNamespace = "root\\wmi";
inline constexpr std::string_view kDriverVersionQuery =
    "SELECT DriverMajorVersion, DriverMinorVersion, DriverBuildRevision, "
    "DriverBootlegRevision, DriverName FROM DriverVersion";

// The version numbers of the first DriverVersion object; a number that could not be read
// is 0.
struct DriverVersionNumbers {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t build = 0;
    std::uint16_t bootleg = 0;
};

// The shown firmware version: "7.90", with four more two-digit groups when the build or
// bootleg revision is non-zero ("7.90.12.34.00.05"); "1.00" without a driver version.
std::string FirmwareVersionText(const std::optional<DriverVersionNumbers>& version);

struct ComputerSystemData {
    // Bits of presenceMask: the optional properties that were set.
    static constexpr std::uint32_t kNameFormatBit = 0x01;
    static constexpr std::uint32_t kRolesBit = 0x02;
    static constexpr std::uint32_t kIdentifyingDescriptionsBit = 0x04;
    static constexpr std::uint32_t kOtherIdentifyingInfoBit = 0x08;
    static constexpr std::uint32_t kDedicatedBit = 0x10;

    std::uint32_t presenceMask = 0;
    // Written whether set or not.
    std::string name;
    std::string elementName;
    std::string caption;
    std::string description;
    // Written only when their bit is set.
    std::string nameFormat;
    std::vector<std::string> roles;
    std::vector<std::string> identifyingDescriptions;
    std::vector<std::string> otherIdentifyingInfo;
    std::vector<std::uint16_t> dedicated;

    void SetNameFormat(std::string value);
    void SetRoles(std::vector<std::string> value);
    void SetIdentifyingDescriptions(std::vector<std::string> value);
    void SetOtherIdentifyingInfo(std::vector<std::string> value);
    void SetDedicated(std::vector<std::uint16_t> value);

    bool Has(std::uint32_t bit) const { return (presenceMask & bit) != 0; }
};

// The CIM "Dedicated" value of a management controller.
inline constexpr std::uint16_t kDedicatedManagement = 14;

// The instance of the controller with the given driver version (nullopt: none was found).
ComputerSystemData MakeComputerSystemData(const ManagementControllerRecord& controller,
                                          const std::optional<DriverVersionNumbers>& version);

}  // namespace norv
