// The processor list of this machine: the process's SMBIOS table, loaded when none is held
// yet, matched with the processors counted on this machine.
#pragma once

#include "platform/processor_info_source.h"
#include "platform/smbios_table_win.h"

namespace norv {

class WindowsProcessorInfoSource : public ProcessorInfoSource {
public:
    // The table of this process (ProcessSmbiosTable) and the CPUID count of this machine.
    WindowsProcessorInfoSource();
    // A table of the caller's and the machine behind it, for tests.
    WindowsProcessorInfoSource(SmbiosTable& table, SmbiosMachine& machine);

    ProcessorInfo Read() override;

private:
    SmbiosTable& table_;
    SmbiosMachine* machine_ = nullptr;  // null: the machine this process runs on
};

}  // namespace norv
