#include "system/admin_domain_provider.h"

#include "host/instance_writer.h"

namespace norv::win {

static_assert(IdentityOf(AdminDomainClass::kProviderClass).servedClass == kAdminDomainClass);

void BuildAdminDomainList(std::vector<AdminDomainData>& list, IWbemContext* /*context*/) {
    list.push_back(MakeAdminDomainData());
}

HRESULT FillAdminDomainInstance(const AdminDomainData& record, const WbemObject& instance) {
    InstanceWriter writer(instance);
    writer.PutWideString(L"CreationClassName", L"AdminDomain");
    writer.PutString(L"Name", record.name);
    writer.PutString(L"Caption", record.caption);
    writer.PutString(L"ElementName", record.elementName);
    writer.PutString(L"Description", record.description);
    // Roles before NameFormat, unlike the controller.
    if (record.Has(AdminDomainData::kRolesBit)) writer.PutStringArray(L"Roles", record.roles);
    if (record.Has(AdminDomainData::kNameFormatBit)) {
        writer.PutString(L"NameFormat", record.nameFormat);
    }
    return writer.Status();
}

template class InstanceProvider<AdminDomainClass>;

}  // namespace norv::win
