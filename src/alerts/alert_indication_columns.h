// The columns of "AlertIndication", the extrinsic event a new log record raises: the
// properties of a CIM alert by their DMTF names, the message's arguments one by one, and the
// path of the record it is about. It has no keys: an event is no instance to name.
#pragma once

#include <array>
#include <cstddef>

#include "alerts/alert_indication_data.h"
#include "host/instance_columns.h"

namespace norv {

inline constexpr wchar_t kAlertIndicationClassName[] = L"AlertIndication";

namespace alert_indication_columns {
using enum CimType;
using Data = AlertIndicationData;

template <std::size_t Index>
ColumnValue Argument(const Data& data) {
    return std::string_view(data.messageArgument[Index]);
}
template <std::size_t Index>
bool HasArgument(const Data& data) {
    return !data.messageArgument[Index].empty();
}
}  // namespace alert_indication_columns

inline constexpr std::array<Column<AlertIndicationData>, 26> kAlertIndicationColumns = [] {
    using namespace alert_indication_columns;
    return std::array<Column<Data>, 26>{{
        {L"IndicationIdentifier", String, kNotKey, nullptr,
         Field<Data, &Data::indicationIdentifier>},
        {L"CorrelatedIndications", StringArray, kNotKey, nullptr,
         Field<Data, &Data::correlatedIndications>},
        {L"IndicationTime", String, kNotKey, nullptr, Field<Data, &Data::indicationTime>},
        {L"PerceivedSeverity", UInt16, kNotKey, nullptr, Field<Data, &Data::perceivedSeverity>},
        {L"AlertType", UInt16, kNotKey, nullptr, Field<Data, &Data::alertType>},
        {L"ProbableCause", UInt16, kNotKey, nullptr, Field<Data, &Data::probableCause>},
        {L"ProbableCauseDescription", String, kNotKey, nullptr,
         Field<Data, &Data::probableCauseDescription>},
        {L"Trending", UInt16, kNotKey, nullptr, Field<Data, &Data::trending>},
        {L"Description", String, kNotKey, nullptr, Field<Data, &Data::description>},
        // A record whose sensor is not served names no element.
        {L"AlertingManagedElement", String, kNotKey,
         WhenNotEmpty<Data, &Data::alertingManagedElement>,
         Field<Data, &Data::alertingManagedElement>},
        {L"AlertingElementFormat", UInt16, kNotKey, nullptr,
         Field<Data, &Data::alertingElementFormat>},
        {L"EventID", String, kNotKey, nullptr, Field<Data, &Data::eventId>},
        {L"EventTime", String, kNotKey, nullptr, Field<Data, &Data::eventTime>},
        {L"SystemCreationClassName", String, kNotKey, nullptr,
         Field<Data, &Data::systemCreationClassName>},
        {L"SystemName", String, kNotKey, nullptr, Field<Data, &Data::systemName>},
        {L"ProviderName", String, kNotKey, nullptr, Field<Data, &Data::providerName>},
        {L"Message", String, kNotKey, nullptr, Field<Data, &Data::message>},
        {L"MessageID", String, kNotKey, nullptr, Field<Data, &Data::messageId>},
        {L"MessageArguments", StringArray, kNotKey, nullptr, Field<Data, &Data::messageArguments>},
        {L"MessageArgument1", String, kNotKey, HasArgument<0>, Argument<0>},
        {L"MessageArgument2", String, kNotKey, HasArgument<1>, Argument<1>},
        {L"MessageArgument3", String, kNotKey, HasArgument<2>, Argument<2>},
        {L"MessageArgument4", String, kNotKey, HasArgument<3>, Argument<3>},
        {L"OwningEntity", String, kNotKey, nullptr, Field<Data, &Data::owningEntity>},
        {L"RecommendedActions", StringArray, kNotKey, nullptr,
         Field<Data, &Data::recommendedActions>},
        {L"LogRecord", String, kNotKey, nullptr, Field<Data, &Data::logRecord>},
    }};
}();

static_assert(kMaxMessageArguments == 4, "one MessageArgument column per argument");

}  // namespace norv
