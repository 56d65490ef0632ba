// The columns of "HealthCondition": one instance per condition the log leaves active, named
// by its condition key alone.
#pragma once

#include <array>

#include "alerts/health_condition_data.h"
#include "host/instance_columns.h"

namespace norv {

inline constexpr std::array<Column<HealthConditionData>, 9> kHealthConditionColumns = [] {
    using enum CimType;
    using Condition = HealthConditionData;
    return std::array<Column<Condition>, 9>{{
        {L"InstanceID", String, kKey, nullptr, Field<Condition, &Condition::instanceId>},
        {L"MessageID", String, kNotKey, nullptr, Field<Condition, &Condition::messageId>},
        {L"Message", String, kNotKey, nullptr, Field<Condition, &Condition::message>},
        {L"PerceivedSeverity", UInt16, kNotKey, nullptr,
         Field<Condition, &Condition::perceivedSeverity>},
        // Null when the record's sensor is not served.
        {L"AlertingManagedElement", String, kNotKey, WhenNotEmpty<Condition, &Condition::sensor>,
         Field<Condition, &Condition::sensor>},
        {L"LogRecord", String, kNotKey, nullptr, Field<Condition, &Condition::logRecord>},
        {L"FirstTime", String, kNotKey, nullptr, Field<Condition, &Condition::firstTime>},
        {L"LastTime", String, kNotKey, nullptr, Field<Condition, &Condition::lastTime>},
        {L"RepeatCount", UInt32, kNotKey, nullptr, Field<Condition, &Condition::repeatCount>},
    }};
}();

}  // namespace norv
