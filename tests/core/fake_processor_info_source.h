// A processor information source that hands out a fixed processor list and counts how often
// it was asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/processor_info_source.h"

namespace norv::testing {

class FakeProcessorInfoSource final : public ProcessorInfoSource {
public:
    FakeProcessorInfoSource() = default;
    explicit FakeProcessorInfoSource(ProcessorInfo served) : info(std::move(served)) {}

    ProcessorInfo Read() override {
        ++reads;
        return info;
    }

    ProcessorInfo info;
    std::size_t reads = 0;
};

// An entry of a complete processor list whose vendor record gives these slot and processor
// numbers (0xFF: not given).
inline ProcessorEntry EntryWithOemNumbers(std::uint8_t slot, std::uint8_t proc) {
    ProcessorEntry entry;
    entry.oemProcessor[kOemSlotOffset] = slot;
    entry.oemProcessor[kOemProcOffset] = proc;
    return entry;
}

}  // namespace norv::testing
