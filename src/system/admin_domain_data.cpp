#include "system/admin_domain_data.h"

#include <utility>

namespace norv {
namespace {

constexpr std::string_view kCaption = "MAP Addressing Root";
constexpr std::string_view kName = "Management Access Point (MAP) Addressing Root";
constexpr std::string_view kDescriptionPrefix = "DMTF WBEM/CIM SMA ";
constexpr std::string_view kNameFormat = "AS";

}  // namespace

void AdminDomainData::SetNameFormat(std::string value) {
    nameFormat = std::move(value);
    presenceMask |= kNameFormatBit;
}

void AdminDomainData::SetRoles(std::vector<std::string> value) {
    roles = std::move(value);
    presenceMask |= kRolesBit;
}

AdminDomainData MakeAdminDomainData() {
    AdminDomainData record;
    record.caption = kCaption;
    record.name = kName;
    record.elementName = record.name;
    record.description = std::string(kDescriptionPrefix) + record.name;
    record.SetNameFormat(std::string(kNameFormat));
    record.SetRoles({record.name});
    return record;
}

}  // namespace norv
