// WMI's locator in a prefix whose WMI is the stand-in: ConnectServer hands out the provider's
// namespace (root\cimv2\ipmi, in any of the forms the host's locator reads) as
// ProviderServices, and passes every other namespace, with all its arguments, to Wine's own
// locator, so that Win32_ classes and Wine's errors are Wine's.
#pragma once

#include <wbemcli.h>

#include "com/host_class_factory.h"
#include "com/host_com_object.h"
#include "prefix/prefix_wmi.h"

namespace norvwmi {

class PrefixLocator final : public ComObject<PrefixLocator, IWbemLocator> {
public:
    explicit PrefixLocator(const PrefixWmi& wmi) : wmi_(wmi) {}

    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR networkResource, const BSTR user,
                                            const BSTR password, const BSTR locale,
                                            LONG securityFlags, const BSTR authority,
                                            IWbemContext* context,
                                            IWbemServices** nameSpace) override;

private:
    const PrefixWmi& wmi_;
};

using PrefixLocatorFactory = HostClassFactory<PrefixLocator, const PrefixWmi&>;

}  // namespace norvwmi
