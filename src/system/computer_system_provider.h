// NorvComputerSystemProv: the "ComputerSystem" instance of the management controller, built
// on every request with the health driver's version read at that moment.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <vector>

#include "host/instance_provider.h"
#include "host/rebuilt_list.h"
#include "system/computer_system_data.h"
#include "system/system_columns.h"

namespace norv::win {

// The one record, for the module's controller and the driver version of now.
void BuildComputerSystemList(std::vector<ComputerSystemData>& list, IWbemContext* context);

struct ComputerSystemClass : ServedByColumns<kComputerSystemColumns> {
    static constexpr ProviderClass kProviderClass = ProviderClassNamed("NorvComputerSystemProv");

    using Entry = ComputerSystemData;
    using Data = RebuiltList<ComputerSystemData, &BuildComputerSystemList>;
};

using NorvComputerSystemProv = InstanceProvider<ComputerSystemClass>;
extern template class InstanceProvider<ComputerSystemClass>;

}  // namespace norv::win
