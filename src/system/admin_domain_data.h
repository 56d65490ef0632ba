// The one "AdminDomain" instance, the addressing root of the management access point: fixed
// texts, nothing read from the platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace norv {

struct AdminDomainData {
    // Bits of presenceMask: the optional properties that were set.
    static constexpr std::uint32_t kNameFormatBit = 0x01;
    static constexpr std::uint32_t kRolesBit = 0x02;

    std::uint32_t presenceMask = 0;
    // Written whether set or not.
    std::string name;
    std::string elementName;
    std::string caption;
    std::string description;
    // Written only when their bit is set.
    std::string nameFormat;
    std::vector<std::string> roles;

    void SetNameFormat(std::string value);
    void SetRoles(std::vector<std::string> value);

    bool Has(std::uint32_t bit) const { return (presenceMask & bit) != 0; }
};

AdminDomainData MakeAdminDomainData();

}  // namespace norv
