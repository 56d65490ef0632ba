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

// A complete list of two processors whose vendor records give slot 0, processors 1 and 2.
inline FakeProcessorInfoSource TwoSockets() {
    ProcessorInfo info;
    info.status = ProcessorInfoStatus::Complete;
    for (const std::uint8_t proc : {std::uint8_t{1}, std::uint8_t{2}}) {
        ProcessorEntry& entry = info.entries.emplace_back();
        entry.oemProcessor[kOemSlotOffset] = 0;
        entry.oemProcessor[kOemProcOffset] = proc;
    }
    return FakeProcessorInfoSource(info);
}

}  // namespace norv::testing
