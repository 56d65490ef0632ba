#include "repository_health_source.h"

#include <array>
#include <fstream>
#include <optional>
#include <span>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <variant>

#include "platform/smbios_loader.h"
#include "repository/name_compare.h"
#include "repository/query_evaluation.h"
#include "repository/wql_select.h"

namespace norv::bench {
namespace {

// The health classes that come in numbers on a bigger server.
constexpr std::array<std::string_view, 4> kRepeatedClasses{"TempSensorInfo", "FanInfo",
                                                           "PowerSupplyInfo", "MemoryDIMMInfo"};

constexpr std::string_view kBenchServerName = "BENCH";

norvwmi::Platform Load(const norvwmi::MofFile& description) {
    auto loaded = norvwmi::LoadPlatform(description, std::string(kBenchServerName));
    if (const auto* error = std::get_if<norvwmi::MofError>(&loaded))
        throw std::runtime_error(norvwmi::FormatMofError(*error));
    return std::get<norvwmi::Platform>(std::move(loaded));
}

class RepositoryHealthObject final : public HealthObject {
public:
    explicit RepositoryHealthObject(const norvwmi::CimObject& object) : object_(object) {}
    const norvwmi::CimObject& Object() const { return object_; }

private:
    const norvwmi::CimObject& object_;
};

struct PropertyRead {
    const norvwmi::CimValue* value = nullptr;
    norvwmi::CimType type = norvwmi::CimType::String;
    bool isArray = false;
};

std::optional<PropertyRead> Find(const HealthObject& object, std::string_view property) {
    const auto* ours = dynamic_cast<const RepositoryHealthObject*>(&object);
    if (ours == nullptr) return std::nullopt;
    const norvwmi::CimObject& cim = ours->Object();
    const std::optional<std::size_t> index = cim.Find(property);
    if (!index || cim.ValueAt(*index).IsNull()) return std::nullopt;
    const norvwmi::PropertyDefinition& definition = cim.PropertyAt(*index);
    return PropertyRead{&cim.ValueAt(*index), definition.type, definition.isArray};
}

bool IsWideInteger(norvwmi::CimType type) {
    return type == norvwmi::CimType::SInt64 || type == norvwmi::CimType::UInt64;
}

// An integer value as the low 32 bits of its two's complement.
std::optional<std::uint32_t> Low32(const norvwmi::CimValue& value) {
    if (const auto* signedValue = std::get_if<std::int64_t>(&value.data))
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(*signedValue));
    if (const auto* unsignedValue = std::get_if<std::uint64_t>(&value.data))
        return static_cast<std::uint32_t>(*unsignedValue);
    return std::nullopt;
}

}  // namespace

norvwmi::Platform LoadDefaultPlatform() {
    return Load(norvwmi::DefaultPlatformDescription());
}

norvwmi::Platform LoadPlatformFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return Load(norvwmi::MofFile{path, text.str()});
}

RepositoryHealthSource::RepositoryHealthSource(norvwmi::Platform platform, unsigned copies)
    : platform_(std::move(platform)), copies_(copies == 0 ? 1 : copies) {}

const RepositoryHealthSource::Objects& RepositoryHealthSource::Answer(std::string_view nameSpace,
                                                                      std::string_view wql) {
    std::string key(nameSpace);
    key += '\n';
    key += wql;
    const auto kept = answers_.find(key);
    if (kept != answers_.end()) return kept->second;

    Objects objects;
    const std::optional<std::string> resolved = platform_.served->ResolveNamespace(nameSpace);
    if (resolved) {
        norvwmi::RequestResult result =
            norvwmi::RunWqlSelect(*platform_.served, *resolved, wql, norvwmi::QueryOptions{});
        if (result.status == norvwmi::RequestStatus::Ok) objects = std::move(result.objects);
    }
    const auto parsed = norvwmi::ParseWqlSelect(wql);
    const auto* select = std::get_if<norvwmi::WqlSelect>(&parsed);
    bool repeated = false;
    for (std::string_view name : kRepeatedClasses)
        repeated = repeated || (select && norvwmi::SameName(select->className, name));
    if (repeated && copies_ > 1) {
        Objects bigger;
        bigger.reserve(objects.size() * copies_);
        for (unsigned copy = 0; copy < copies_; ++copy)
            bigger.insert(bigger.end(), objects.begin(), objects.end());
        objects = std::move(bigger);
    }
    return answers_.emplace(std::move(key), std::move(objects)).first->second;
}

HealthObjectList RepositoryHealthSource::Query(std::string_view nameSpace, std::string_view wql) {
    ++sent_;
    HealthObjectList list;
    const Objects& objects = Answer(nameSpace, wql);
    list.reserve(objects.size());
    for (const norvwmi::CimObject& object : objects)
        list.push_back(std::make_unique<RepositoryHealthObject>(object));
    return list;
}

bool RepositoryHealthSource::ReadBool(const HealthObject& object, std::string_view property,
                                      bool& value) {
    const std::optional<PropertyRead> read = Find(object, property);
    if (!read || read->isArray) return false;
    const auto* flag = std::get_if<bool>(&read->value->data);
    if (flag == nullptr) return false;
    value = *flag;
    return true;
}

bool RepositoryHealthSource::ReadInt32(const HealthObject& object, std::string_view property,
                                       std::int32_t& value) {
    const std::optional<PropertyRead> read = Find(object, property);
    if (!read || read->isArray || IsWideInteger(read->type)) return false;
    const std::optional<std::uint32_t> bits = Low32(*read->value);
    if (!bits) return false;
    value = static_cast<std::int32_t>(*bits);
    return true;
}

bool RepositoryHealthSource::ReadUInt8(const HealthObject& object, std::string_view property,
                                       std::uint8_t& value) {
    std::int32_t wide = 0;
    if (!ReadInt32(object, property, wide)) return false;
    value = static_cast<std::uint8_t>(static_cast<std::uint32_t>(wide) & 0xFFu);
    return true;
}

bool RepositoryHealthSource::ReadString(const HealthObject& object, std::string_view property,
                                        std::string& value) {
    const std::optional<PropertyRead> read = Find(object, property);
    if (!read || read->isArray) return false;
    if (const auto* text = std::get_if<std::string>(&read->value->data)) {
        value = *text;
        return true;
    }
    if (!IsWideInteger(read->type)) return false;
    if (const auto* signedValue = std::get_if<std::int64_t>(&read->value->data)) {
        value = std::to_string(*signedValue);
        return true;
    }
    if (const auto* unsignedValue = std::get_if<std::uint64_t>(&read->value->data)) {
        value = std::to_string(*unsignedValue);
        return true;
    }
    return false;
}

bool RepositoryHealthSource::ReadBytes(const HealthObject& object, std::string_view property,
                                       std::size_t capacity, std::vector<std::uint8_t>& value) {
    const std::optional<PropertyRead> read = Find(object, property);
    if (!read || !read->isArray) return false;
    const auto* elements = std::get_if<norvwmi::CimArray>(&read->value->data);
    if (elements == nullptr) return false;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(elements->size());
    for (const norvwmi::CimValue& element : *elements) {
        if (bytes.size() == capacity) break;
        const std::optional<std::uint32_t> bits = Low32(element);
        if (!bits) return false;
        bytes.push_back(static_cast<std::uint8_t>(*bits & 0xFFu));
    }
    value = std::move(bytes);
    return true;
}

RepositoryProcessorInfoSource::RepositoryProcessorInfoSource(
    RepositoryHealthSource& health, std::optional<std::uint8_t> processorCount) {
    // As the Windows class gives the table: one object, Size bytes, missing bytes read as 0.
    const HealthObjectList objects = health.Query(kRawSmbiosNamespace, kRawSmbiosQuery);
    std::int32_t size = 0;
    if (objects.size() == 1 && health.ReadInt32(*objects.front(), kRawSmbiosSizeProperty, size) &&
        size > 0 &&
        health.ReadBytes(*objects.front(), kRawSmbiosDataProperty, table_.max_size(), table_)) {
        table_.resize(static_cast<std::size_t>(size), 0);
        hasTable_ = true;
    }
    std::uint8_t processors = 0;
    if (processorCount) {
        processors = *processorCount;
    } else if (hasTable_) {
        for (const ProcessorStructure& socket : CollectProcessorStructures(table_))
            processors = static_cast<std::uint8_t>(processors + (socket.Populated() ? 1 : 0));
    }
    ProcessorCountInput input;
    input.cpuid.vendor = std::string(kAmdVendor);  // no Hyper-Threading bit: one core each
    input.cpuid.maxLeaf = 1;
    input.reportedProcessors = processors;
    for (std::uint8_t apicId = 0; apicId < processors; ++apicId)
        input.initialApicIds.push_back(apicId);
    count_ = CountProcessors(input);
}

ProcessorInfo RepositoryProcessorInfoSource::Read() {
    // A copy per build, as the Windows source copies the process's table.
    const std::vector<std::uint8_t> table = table_;
    std::optional<std::span<const std::uint8_t>> view;
    if (hasTable_) view = std::span<const std::uint8_t>(table);
    return GetProcessorInfo(view, [this] { return count_; });
}

}  // namespace norv::bench
