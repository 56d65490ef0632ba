// Where the processor builder learns which socket each logical processor sits in. On Windows
// it reads the SMBIOS table and counts the processors with CPUID on each of them; tests hand
// out a fixed list.
#pragma once

#include "platform/processor_topology.h"

namespace norv {

class ProcessorInfoSource {
public:
    virtual ~ProcessorInfoSource() = default;

    // The processor list with its status: complete, no table, or an OEM record missing.
    virtual ProcessorInfo Read() = 0;
};

}  // namespace norv
