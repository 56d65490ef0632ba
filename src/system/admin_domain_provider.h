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
#include "system/system_columns.h"

namespace norv::win {

void BuildAdminDomainList(std::vector<AdminDomainData>& list, IWbemContext* context);

struct AdminDomainClass : ServedByColumns<kAdminDomainColumns> {
    static constexpr ProviderClass kProviderClass = ProviderClassNamed("NorvAdminDomainProv");

    using Entry = AdminDomainData;
    using Data = RebuiltList<AdminDomainData, &BuildAdminDomainList>;
};

using NorvAdminDomainProv = InstanceProvider<AdminDomainClass>;
extern template class InstanceProvider<AdminDomainClass>;

}  // namespace norv::win
