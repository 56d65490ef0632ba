#include "system/admin_domain_provider.h"

#include "host/provider_class_row.h"

namespace norv::win {

void BuildAdminDomainList(std::vector<AdminDomainData>& list, IWbemContext* /*context*/) {
    list.push_back(MakeAdminDomainData());
}

template class InstanceProvider<AdminDomainClass>;

template <>
HRESULT CreateProvider<AdminDomainClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvAdminDomainProv>(iid, out);
}

}  // namespace norv::win
