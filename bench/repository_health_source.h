// The health data of a platform description, served from memory for the benchmarks. The
// description is read once with the host's repository; each query text is evaluated by the
// host the first time it is sent and answered from the kept objects afterwards, so a timed
// loop measures the builders and not the MOF reader or the host's query evaluation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/health_data_source.h"
#include "platform/processor_info_source.h"
#include "repository/cim_object.h"
#include "simulated_driver/platform_loading.h"

namespace norv::bench {

// The description compiled into the host, or a description file; a description that does
// not load throws std::runtime_error with the reader's message.
norvwmi::Platform LoadDefaultPlatform();
norvwmi::Platform LoadPlatformFile(const std::string& path);

class RepositoryHealthSource final : public HealthDataSource {
public:
    // copies > 1 makes a bigger platform of a small one: every temperature, fan, power
    // supply and DIMM object is handed out that many times.
    explicit RepositoryHealthSource(norvwmi::Platform platform, unsigned copies = 1);

    HealthObjectList Query(std::string_view nameSpace, std::string_view wql) override;

    // As WMI hands out values: 64-bit integers travel as text, so ReadInt32 fails on them and
    // ReadString reads their decimal text; a null value is not read.
    bool ReadBool(const HealthObject& object, std::string_view property, bool& value) override;
    bool ReadInt32(const HealthObject& object, std::string_view property,
                   std::int32_t& value) override;
    bool ReadUInt8(const HealthObject& object, std::string_view property,
                   std::uint8_t& value) override;
    bool ReadString(const HealthObject& object, std::string_view property,
                    std::string& value) override;

    // The bytes of an integer-array property ("SMBiosData", "KronData"), low 8 bits each.
    bool ReadBytes(const HealthObject& object, std::string_view property, std::size_t capacity,
                   std::vector<std::uint8_t>& value) override;

    std::size_t QueriesSent() const { return sent_; }
    // Queries the host evaluated: one per distinct text and namespace.
    std::size_t QueriesEvaluated() const { return answers_.size(); }

private:
    using Objects = std::vector<norvwmi::CimObject>;

    const Objects& Answer(std::string_view nameSpace, std::string_view wql);

    norvwmi::Platform platform_;
    unsigned copies_;
    std::map<std::string, Objects, std::less<>> answers_;
    std::size_t sent_ = 0;
};

// The processors of the description: its SMBIOS table (read once, from
// MSSmBios_RawSMBiosTables) matched with a fixed count of single-core processors without
// Hyper-Threading whose initial APIC ids are 0, 1, 2, ... By default there are as many as the
// table has populated sockets.
class RepositoryProcessorInfoSource final : public ProcessorInfoSource {
public:
    explicit RepositoryProcessorInfoSource(RepositoryHealthSource& health,
                                           std::optional<std::uint8_t> processorCount = {});

    ProcessorInfo Read() override;

    bool HasTable() const { return hasTable_; }

private:
    std::vector<std::uint8_t> table_;
    bool hasTable_ = false;
    ProcessorCount count_;
};

}  // namespace norv::bench
