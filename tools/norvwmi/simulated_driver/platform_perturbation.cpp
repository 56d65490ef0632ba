#include "simulated_driver/platform_perturbation.h"

#include <algorithm>

#include "eventlog/log_entry.h"
#include "eventlog/management_log.h"
#include "repository/instance_values.h"
#include "repository/name_compare.h"
#include "simulated_driver/management_log_directives.h"
#include "simulated_driver/temperature_reading.h"
#include "simulated_driver/uint16_field.h"

namespace norvwmi {

namespace {

// Slots of the draws, so that the rules never share a random number.
constexpr std::uint64_t kTemperatureSlot = 0x1000;
constexpr std::uint64_t kFanSpeedSlot = 0x2000;
constexpr std::uint64_t kFailingFanSlot = 0x3000;

// Appended entries are dated from this year on, a minute apart.
constexpr std::uint8_t kAppendedCentury = 20;
constexpr std::uint8_t kAppendedYear = 14;
// The log area never grows past this, whatever the version.
constexpr std::size_t kMaxPerturbedLogArea = 24576;

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint64_t UnsignedOrZero(const InstanceDefinition& instance, std::string_view property) {
    return UnsignedOf(instance, property).value_or(0);
}

bool BooleanOf(const InstanceDefinition& instance, std::string_view property) {
    const CimValue* value = ValueOf(instance, property);
    const auto* flag = value ? std::get_if<bool>(&value->data) : nullptr;
    return flag && *flag;
}

// The k-th appended entry (from 1): a copy of a described entry, so that it maps as that one
// does, with the next entry number and a later date.
std::vector<std::uint8_t> AppendedEntry(const std::vector<std::vector<std::uint8_t>>& described,
                                        std::uint64_t k) {
    const auto copied = static_cast<std::size_t>((k - 1) % described.size());
    std::vector<std::uint8_t> entry = described[copied];
    const std::uint16_t lastNumber = UInt16At(described.back(), norv::kEntryNumberOffset);
    PutUInt16(entry, norv::kEntryNumberOffset, static_cast<std::uint16_t>(lastNumber + k));
    const std::uint8_t dateTime[] = {kAppendedCentury,
                                     kAppendedYear,
                                     1,
                                     static_cast<std::uint8_t>(1 + (k / 1440) % 28),
                                     static_cast<std::uint8_t>((k / 60) % 24),
                                     static_cast<std::uint8_t>(k % 60)};
    std::copy(std::begin(dateTime), std::end(dateTime), entry.begin() + norv::kEntryDateTimeOffset);
    return entry;
}

bool IsClass(std::string_view nameSpace, std::string_view className, std::string_view wanted) {
    return SameName(nameSpace, kPerturbedNamespace) && SameName(className, wanted);
}

}  // namespace

std::uint64_t PerturbationDraw(std::uint64_t seed, std::uint64_t version, std::uint64_t slot) {
    return Mix(Mix(Mix(seed) ^ version) ^ slot);
}

std::uint32_t PerturbedCelsius(std::uint64_t seed, std::uint64_t version, std::size_t sensor,
                               std::uint32_t describedCelsius) {
    if (version == 0) return describedCelsius;
    constexpr std::uint64_t kBand = kTemperatureBelow + kTemperatureAbove + 1;
    const auto step = static_cast<std::int64_t>(
        PerturbationDraw(seed, version, kTemperatureSlot + sensor) % kBand);
    const std::int64_t celsius = std::int64_t{describedCelsius} - kTemperatureBelow + step;
    return static_cast<std::uint32_t>(std::max<std::int64_t>(celsius, 0));
}

std::size_t FailingFan(std::uint64_t seed, std::size_t fanCount) {
    return static_cast<std::size_t>(PerturbationDraw(seed, 0, kFailingFanSlot) % fanCount);
}

bool FanFailedIn(std::uint64_t version) {
    return (version / kFanFailurePeriod) % 2 == 1;
}

std::uint8_t PerturbedFanSpeed(std::uint64_t seed, std::uint64_t version, std::size_t fan) {
    // 1 power save or 2 on line.
    return static_cast<std::uint8_t>(1 + PerturbationDraw(seed, version, kFanSpeedSlot + fan) % 2);
}

std::uint64_t AppendedLogEntries(std::uint64_t version) {
    return std::min(version, kMaxAppendedLogEntries);
}

PerturbedClassSource::PerturbedClassSource(std::shared_ptr<const PlatformClassSource> described,
                                           std::uint64_t seed)
    : ChangingClassSource(std::move(described)), seed_(seed) {
    temperatures_ = CopiesOf(Described(), kPerturbedNamespace, kPerturbedTemperatureClass);
    fans_ = CopiesOf(Described(), kPerturbedNamespace, kPerturbedFanClass);
    logs_ = CopiesOf(Described(), kPerturbedNamespace, kPerturbedLogClass);
    for (const InstanceDefinition& sensor : temperatures_)
        describedTemperatures_.push_back(
            DescribedTemperature{static_cast<std::uint32_t>(UnsignedOrZero(sensor, "TempCelsius")),
                                 BooleanOf(sensor, "TempPresent")});
    if (!logs_.empty()) {
        const std::vector<std::uint8_t> area = BytesOf(logs_.front(), "KronData");
        const auto size = static_cast<std::int32_t>(UnsignedOrZero(logs_.front(), "KronSize"));
        const std::vector<std::uint8_t> entryBytes = norv::LogAreaEntryBytes(area, size);
        for (std::span<const std::uint8_t> entry : norv::SplitLogEntries(entryBytes))
            if (entry.size() >= norv::kEntryHeaderSize)
                logEntries_.emplace_back(entry.begin(), entry.end());
    }
    current_ = Build(0);
}

std::uint64_t PerturbedClassSource::Version() const {
    std::lock_guard lock(mutex_);
    return current_->number;
}

std::shared_ptr<const PlatformVersion> PerturbedClassSource::Build(std::uint64_t number) const {
    auto version = std::make_shared<PlatformVersion>();
    version->number = number;
    version->temperatures = temperatures_;
    version->fans = fans_;
    version->logs = logs_;
    if (number == 0) return version;

    for (std::size_t i = 0; i < version->temperatures.size(); ++i) {
        const DescribedTemperature& described = describedTemperatures_[i];
        const std::uint32_t celsius = PerturbedCelsius(seed_, number, i, described.celsius);
        SetTemperature(version->temperatures[i], celsius);
    }
    for (std::size_t i = 0; i < version->fans.size(); ++i) {
        const bool failed = FanFailedIn(number) && i == FailingFan(seed_, version->fans.size());
        SetValue(version->fans[i], "FanPhysicallyFailed", CimValue{failed});
        const std::uint8_t speed = failed ? kFailedFanSpeed : PerturbedFanSpeed(seed_, number, i);
        SetValue(version->fans[i], "FanSpeed", CimValue{std::uint64_t{speed}});
    }
    if (!version->logs.empty() && !logEntries_.empty()) {
        std::vector<std::uint8_t> area(norv::kLogAreaHeaderSize, 0);
        for (const auto& entry : logEntries_) area.insert(area.end(), entry.begin(), entry.end());
        for (std::uint64_t k = 1; k <= AppendedLogEntries(number); ++k) {
            const std::vector<std::uint8_t> entry = AppendedEntry(logEntries_, k);
            if (area.size() + entry.size() > kMaxPerturbedLogArea) break;
            area.insert(area.end(), entry.begin(), entry.end());
        }
        PutUInt16(area, norv::kLogAreaEndOffset, static_cast<std::uint16_t>(area.size()));
        PutUInt16(area, norv::kLogAreaStartOffset,
                  static_cast<std::uint16_t>(norv::kLogAreaHeaderSize));
        SetValue(version->logs.front(), "KronSize", CimValue{std::uint64_t{area.size()}});
        SetValue(version->logs.front(), "KronData", LogAreaValue(area));
    }
    return version;
}

std::vector<std::uint32_t> PerturbedClassSource::PresentTemperatures(std::uint64_t number) const {
    std::vector<std::uint32_t> present;
    for (std::size_t i = 0; i < describedTemperatures_.size(); ++i)
        if (describedTemperatures_[i].present)
            present.push_back(
                PerturbedCelsius(seed_, number, i, describedTemperatures_[i].celsius));
    std::sort(present.begin(), present.end());
    return present;
}

std::vector<const InstanceDefinition*> PerturbedClassSource::Instances(
    std::string_view nameSpace, std::string_view className) const {
    const bool temperatures = IsClass(nameSpace, className, kPerturbedTemperatureClass);
    const bool fans = IsClass(nameSpace, className, kPerturbedFanClass);
    const bool logs = IsClass(nameSpace, className, kPerturbedLogClass);
    if (!temperatures && !fans && !logs) return Described().Instances(nameSpace, className);
    // An absent class stays absent.
    if (!Described().FindClass(nameSpace, className)) return {};

    std::shared_ptr<const PlatformVersion> version;
    {
        // Built under the lock, so that every query of the temperatures is one step.
        std::lock_guard lock(mutex_);
        if (temperatures) current_ = Build(current_->number + 1);
        version = current_;
        pinned_[std::this_thread::get_id()] = version;
    }
    const std::vector<InstanceDefinition>& chosen = temperatures ? version->temperatures
                                                    : fans       ? version->fans
                                                                 : version->logs;
    std::vector<const InstanceDefinition*> instances;
    for (const InstanceDefinition& instance : chosen) instances.push_back(&instance);
    return instances;
}

}  // namespace norvwmi
