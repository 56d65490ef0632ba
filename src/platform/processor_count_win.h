// What the processor count needs from the machine: CPUID on the processor that runs the
// count, the number of processors Windows reports, and the initial APIC id of each processor,
// read by pinning the whole process to one processor after another.
#pragma once

#include "platform/processor_topology.h"

namespace norv {

// CPUID leaves 0 and 1, and leaf 4 (ECX = 0) where leaf 0 says it exists.
CpuidIdentity ReadCpuidIdentity();

// The machine input of CountProcessors. When the process may run on every processor of the
// system mask, the process is pinned to each of them in turn from the lowest bit, and the
// process mask is then restored to the system mask. A process restricted to some
// processors (or whose masks cannot be read) is left as it is and counts as restricted.
ProcessorCountInput ReadProcessorCountInput();

// CountProcessors on this machine.
ProcessorCount CountProcessorsOnThisMachine();

}  // namespace norv
