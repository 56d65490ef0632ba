// The builders' health data read through WMI: queries run with RunWqlQuery, properties read
// with the typed getters. A source lives for one inventory build and asks the platform each
// distinct query once: builders that read the same class with the same query (the memory
// subsystem, its boards and its DIMMs) share the answer, which also keeps one build from
// seeing two states of one class.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/health_data_source.h"
#include "platform/win_resource.h"
#include "platform/wmi_query.h"

namespace norv {

// One result object of a query.
class WmiHealthObject : public HealthObject {
public:
    explicit WmiHealthObject(win::ComPtr<IWbemClassObject> object) : object_(std::move(object)) {}
    const win::ComPtr<IWbemClassObject>& Object() const { return object_; }

private:
    win::ComPtr<IWbemClassObject> object_;
};

class WmiHealthDataSource : public HealthDataSource {
public:
    // The request context of the request being served, or null; it is handed to
    // RunWqlQuery, which does not pass it on.
    explicit WmiHealthDataSource(IWbemContext* context = nullptr) : context_(context) {}

    HealthObjectList Query(std::string_view nameSpace, std::string_view wql) override;

    // An object of another source is not read: false.
    bool ReadBool(const HealthObject& object, std::string_view property, bool& value) override;
    bool ReadInt32(const HealthObject& object, std::string_view property,
                   std::int32_t& value) override;
    bool ReadUInt8(const HealthObject& object, std::string_view property,
                   std::uint8_t& value) override;
    bool ReadString(const HealthObject& object, std::string_view property,
                    std::string& value) override;
    bool ReadBytes(const HealthObject& object, std::string_view property, std::size_t capacity,
                   std::vector<std::uint8_t>& value) override;
    // A refused query, a failed connection or enumeration and a time-out count, once for
    // each Query that gets such an answer.
    std::size_t QueriesNotRun() const override { return queriesNotRun_; }

private:
    struct Answer {
        WbemObjectList objects;
        bool ran = false;
    };

    win::ComPtr<IWbemContext> context_;
    std::size_t queriesNotRun_ = 0;
    // The answer of each query asked, by namespace and query text.
    std::map<std::pair<std::string, std::string>, Answer, std::less<>> answered_;
};

}  // namespace norv
