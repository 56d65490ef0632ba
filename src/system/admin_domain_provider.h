// NorvAdminDomainProv: the "AdminDomain" instance, the addressing root of the management
// access point, made of fixed texts on every request.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <vector>

#include "host/instance_provider.h"
#include "host/rebuilt_list.h"
#include "system/admin_domain_data.h"

namespace norv::win {

void BuildAdminDomainList(std::vector<AdminDomainData>& list, IWbemContext* context);

// Writes CreationClassName, Name, Caption, ElementName, Description, then Roles and
// NameFormat when their bits are set, in that order; WBEM_E_FAILED at the first put that
// fails.
HRESULT FillAdminDomainInstance(const AdminDomainData& record, const WbemObject& instance);

struct AdminDomainClass {
    static constexpr ProviderClass kProviderClass = ProviderClass::AdminDomain;
    enum Key : std::size_t { kCreationClassNameKey, kNameKey };
    static constexpr std::array<const wchar_t*, 2> kKeyNames{L"CreationClassName", L"Name"};

    using Entry = AdminDomainData;
    using Data = RebuiltList<AdminDomainData, &BuildAdminDomainList>;

    static bool Matches(const Entry& record, const PathKeyValues<2>& wanted) {
        return MatchesAdminDomainKeys(record, wanted[kCreationClassNameKey], wanted[kNameKey]);
    }
    static HRESULT Fill(const Entry& record, const WbemObject& instance) {
        return FillAdminDomainInstance(record, instance);
    }
};

using NorvAdminDomainProv = InstanceProvider<AdminDomainClass>;
extern template class InstanceProvider<AdminDomainClass>;

}  // namespace norv::win
