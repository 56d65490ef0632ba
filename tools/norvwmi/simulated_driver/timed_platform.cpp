#include "simulated_driver/timed_platform.h"

#include <algorithm>

#include "repository/instance_values.h"
#include "repository/name_compare.h"
#include "simulated_driver/management_log_assembly.h"
#include "simulated_driver/temperature_reading.h"

namespace norvwmi {

namespace {

std::optional<MofError> ChangeLog(TimedData& data, const TimedStep& step) {
    if (!data.log) return TimedLogFault(step, "there is no management log");
    DescribedLog& log = *data.log;
    log.events.insert(log.events.end(), step.appended.begin(), step.appended.end());
    if (step.dropped > log.events.size())
        return TimedLogFault(step, "the log holds " + std::to_string(log.events.size()) +
                                       " events, too few to drop " + std::to_string(step.dropped));
    log.events.erase(log.events.begin(),
                     log.events.begin() + static_cast<std::ptrdiff_t>(step.dropped));
    // The wrapped events lie at the area's end from start on: the oldest, so they go first.
    log.layout.wrapAfter -= std::min(log.layout.wrapAfter, step.dropped);
    auto area = AssembleLogArea(log.events, log.layout);
    if (const auto* error = std::get_if<LogAssemblyError>(&area))
        return TimedLogFault(step, error->message);
    data.logs = {ManagementLogInstance(std::get<std::vector<std::uint8_t>>(area), log.where)};
    return std::nullopt;
}

}  // namespace

std::optional<MofError> ApplyTimedStep(TimedData& data, const TimedStep& step) {
    if (!step.appended.empty() || step.dropped > 0)
        if (auto error = ChangeLog(data, step)) return error;
    for (const ReadingChange& change : step.readings)
        for (InstanceDefinition& sensor : data.temperatures)
            if (const std::string* name = TextOf(sensor, "InstanceName");
                name && SameName(*name, change.instanceName))
                SetTemperature(sensor, change.celsius);
    return std::nullopt;
}

std::variant<std::shared_ptr<const TimedClassSource>, MofError> TimedClassSource::Make(
    std::shared_ptr<const PlatformClassSource> described, std::vector<TimedStep> steps,
    std::optional<DescribedLog> log) {
    TimedData data;
    data.temperatures = CopiesOf(*described, kTimedNamespace, kTemperatureClass);
    data.logs = CopiesOf(*described, kTimedNamespace, kManagementLogClass);
    data.log = std::move(log);

    // The log's directives made the log, so a step that changes it has one to change.
    TimedData check = data;
    for (const TimedStep& step : steps)
        if (auto error = ApplyTimedStep(check, step)) return *error;
    return std::shared_ptr<const TimedClassSource>(
        new TimedClassSource(std::move(described), std::move(steps), std::move(data)));
}

TimedClassSource::TimedClassSource(std::shared_ptr<const PlatformClassSource> described,
                                   std::vector<TimedStep> steps, TimedData describedData)
    : ChangingClassSource(std::move(described)),
      steps_(std::move(steps)),
      describedData_(std::move(describedData)) {}

void TimedClassSource::AdvanceTo(std::uint32_t second) const {
    const auto due = static_cast<std::size_t>(
        std::count_if(steps_.begin(), steps_.end(),
                      [second](const TimedStep& step) { return step.second <= second; }));
    std::lock_guard lock(mutex_);
    if (due <= applied_) return;
    auto data = std::make_shared<TimedData>(served_.empty() ? describedData_ : *served_.back());
    // Make has applied every step once: none fails.
    for (std::size_t i = applied_; i < due; ++i) (void)ApplyTimedStep(*data, steps_[i]);
    served_.push_back(std::move(data));
    applied_ = due;
}

std::vector<const InstanceDefinition*> TimedClassSource::Instances(
    std::string_view nameSpace, std::string_view className) const {
    const bool timed =
        SameName(nameSpace, kTimedNamespace) &&
        (SameName(className, kTemperatureClass) || SameName(className, kManagementLogClass));
    std::shared_ptr<const TimedData> data;
    if (timed && Described().FindClass(nameSpace, className)) {
        std::lock_guard lock(mutex_);
        if (!served_.empty()) data = served_.back();
    }
    if (!data) return Described().Instances(nameSpace, className);
    const std::vector<InstanceDefinition>& chosen =
        SameName(className, kTemperatureClass) ? data->temperatures : data->logs;
    std::vector<const InstanceDefinition*> instances;
    for (const InstanceDefinition& instance : chosen) instances.push_back(&instance);
    return instances;
}

}  // namespace norvwmi
