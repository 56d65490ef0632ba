#include "system/admin_domain_provider.h"

namespace norv::win {

void BuildAdminDomainList(std::vector<AdminDomainData>& list, IWbemContext* /*context*/) {
    list.push_back(MakeAdminDomainData());
}

template class InstanceProvider<AdminDomainClass>;

}  // namespace norv::win
