#include "system/admin_domain_provider.h"

#include "host/instance_fill.h"

namespace norv::win {

static_assert(IdentityOf(AdminDomainClass::kProviderClass).servedClass == kAdminDomainClass);

void BuildAdminDomainList(std::vector<AdminDomainData>& list, IWbemContext* /*context*/) {
    list.push_back(MakeAdminDomainData());
}

HRESULT FillAdminDomainInstance(const AdminDomainData& record, const WbemObject& instance) {
    return FillFromColumns(kAdminDomainColumns, record, instance);
}

template class InstanceProvider<AdminDomainClass>;

}  // namespace norv::win
