#include "simulated_driver/timed_directives.h"

#include <map>

#include "repository/instance_values.h"
#include "repository/name_compare.h"
#include "simulated_driver/management_log_directives.h"
#include "simulated_driver/platform_loading.h"

namespace norvwmi {

namespace {

class StepReader {
public:
    explicit StepReader(const Repository& repository) : repository_(repository) {}

    std::optional<MofError> Read() {
        for (const InstanceDefinition* directive :
             repository_.Instances(kDirectiveNamespace, kLogAppendClass))
            if (auto error = ReadAppend(*directive)) return error;
        for (const InstanceDefinition* directive :
             repository_.Instances(kDirectiveNamespace, kLogDropClass))
            if (auto error = ReadDrop(*directive)) return error;
        for (const InstanceDefinition* directive :
             repository_.Instances(kDirectiveNamespace, kReadingChangeClass))
            if (auto error = ReadReading(*directive)) return error;
        return std::nullopt;
    }

    std::vector<TimedStep> Steps() && {
        std::vector<TimedStep> steps;
        for (auto& [second, step] : steps_) steps.push_back(std::move(step));
        return steps;
    }

private:
    // The step of the directive's second; null when AtSecond is missing or out of range.
    TimedStep* StepOf(const InstanceDefinition& directive) {
        const auto second = UnsignedOf<std::uint32_t>(directive, "AtSecond");
        if (!second || *second == 0 || *second > kLastTimedSecond) return nullptr;
        auto [found, added] = steps_.try_emplace(*second);
        TimedStep& step = found->second;
        if (added) step.where = directive.where;
        step.second = *second;
        return &step;
    }

    static MofError NoSecond(const InstanceDefinition& directive) {
        return ErrorAt(directive.where, directive.className + " needs AtSecond, from 1 to " +
                                            std::to_string(kLastTimedSecond) +
                                            " seconds into the watch");
    }

    std::optional<MofError> ReadAppend(const InstanceDefinition& directive) {
        TimedStep* step = StepOf(directive);
        if (!step) return NoSecond(directive);
        auto event = ReadLogEvent(directive);
        if (auto* error = std::get_if<MofError>(&event)) return *error;
        step->appended.push_back(std::get<LogEvent>(std::move(event)));
        step->logWhere = directive.where;  // a drop of the same second, read later, wins
        return std::nullopt;
    }

    std::optional<MofError> ReadDrop(const InstanceDefinition& directive) {
        TimedStep* step = StepOf(directive);
        if (!step) return NoSecond(directive);
        const auto count = UnsignedOf<std::uint32_t>(directive, "Count");
        if (!count) return ErrorAt(directive.where, directive.className + " needs Count");
        step->dropped = *count;
        step->logWhere = directive.where;
        return std::nullopt;
    }

    std::optional<MofError> ReadReading(const InstanceDefinition& directive) {
        TimedStep* step = StepOf(directive);
        if (!step) return NoSecond(directive);
        const std::string* name = TextOf(directive, "InstanceName");
        const auto celsius = UnsignedOf<std::uint32_t>(directive, "TempCelsius");
        if (!name || !celsius)
            return ErrorAt(directive.where,
                           directive.className + " needs InstanceName and TempCelsius");
        bool named = false;
        for (const InstanceDefinition* sensor :
             repository_.Instances(kTimedNamespace, kTemperatureClass)) {
            const std::string* sensorName = TextOf(*sensor, "InstanceName");
            named = named || (sensorName && SameName(*sensorName, *name));
        }
        if (!named)
            return ErrorAt(directive.where, directive.className + " names '" + *name +
                                                "', which is no " + std::string(kTemperatureClass) +
                                                " instance of the description");
        step->readings.push_back(ReadingChange{*name, *celsius, directive.where});
        return std::nullopt;
    }

    const Repository& repository_;
    std::map<std::uint32_t, TimedStep> steps_;
};

}  // namespace

std::variant<std::vector<TimedStep>, MofError> ReadTimedSteps(const Repository& repository) {
    StepReader reader(repository);
    if (auto error = reader.Read()) return *error;
    return std::move(reader).Steps();
}

MofError TimedLogFault(const TimedStep& step, const std::string& message) {
    return ErrorAt(step.logWhere, "at second " + std::to_string(step.second) + ", " + message);
}

}  // namespace norvwmi
