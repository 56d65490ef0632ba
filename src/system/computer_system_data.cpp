#include "system/computer_system_data.h"

#include <cstdio>
#include <utility>

namespace norv {
namespace {

// The controller's instance number, shown in its caption.
constexpr unsigned kControllerInstance = 0;

constexpr std::string_view kFirmwareVersionWithoutDriver = "1.00";
constexpr std::string_view kNameFormat = "Other";
constexpr std::string_view kRole = "Hardware Management Controller";
constexpr std::string_view kIdentifyingDescription = "Manufacturer ID-Product ID";

// Each revision group is printed from its low 8 bits.
unsigned Group(unsigned value) {
    return static_cast<std::uint8_t>(value);
}

}  // namespace

std::string FirmwareVersionText(const std::optional<DriverVersionNumbers>& version) {
    if (!version) return std::string(kFirmwareVersionWithoutDriver);
    // "65535.65535" and four groups of at most three digits each fit with room to spare.
    char text[48];
    int length = std::snprintf(text, sizeof text, "%u.%02u", unsigned{version->major},
                               unsigned{version->minor});
    if (version->build != 0 || version->bootleg != 0) {
        const unsigned build = version->build;
        const unsigned bootleg = version->bootleg;
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                                ".%02u.%02u.%02u.%02u", Group(build / 100), Group(build % 100),
                                Group(bootleg / 100), Group(bootleg % 100));
    }
    return std::string(text, static_cast<std::size_t>(length));
}

void ComputerSystemData::SetNameFormat(std::string value) {
    nameFormat = std::move(value);
    presenceMask |= kNameFormatBit;
}

void ComputerSystemData::SetRoles(std::vector<std::string> value) {
    roles = std::move(value);
    presenceMask |= kRolesBit;
}

void ComputerSystemData::SetIdentifyingDescriptions(std::vector<std::string> value) {
    identifyingDescriptions = std::move(value);
    presenceMask |= kIdentifyingDescriptionsBit;
}

void ComputerSystemData::SetOtherIdentifyingInfo(std::vector<std::string> value) {
    otherIdentifyingInfo = std::move(value);
    presenceMask |= kOtherIdentifyingInfoBit;
}

void ComputerSystemData::SetDedicated(std::vector<std::uint16_t> value) {
    dedicated = std::move(value);
    presenceMask |= kDedicatedBit;
}

ComputerSystemData MakeComputerSystemData(const ManagementControllerRecord& controller,
                                          const std::optional<DriverVersionNumbers>& version) {
    ComputerSystemData record;
    const std::string identifyingText = controller.manufacturerId + "-" + controller.productId;
    record.caption = "BMC " + std::to_string(kControllerInstance);
    record.description = record.caption + " - IPMI v" + controller.ipmiVersion + " - fw v" +
                         FirmwareVersionText(version);
    record.name = controller.name;
    record.elementName = controller.name;
    record.SetNameFormat(std::string(kNameFormat));
    record.SetRoles({std::string(kRole)});
    record.SetIdentifyingDescriptions({std::string(kIdentifyingDescription)});
    record.SetOtherIdentifyingInfo({identifyingText});
    record.SetDedicated({kDedicatedManagement});
    return record;
}

}  // namespace norv
