#include "platform/wmi_health_data_source.h"

#include <memory>
#include <utility>

#include "platform/wmi_property.h"
#include "platform/wmi_query.h"

namespace norv {
namespace {

// Property names are plain ASCII.
std::wstring Wide(std::string_view name) {
    return std::wstring(name.begin(), name.end());
}

// The WMI object behind a result of this source; null for an object of another source.
IWbemClassObject* WmiObjectOf(const HealthObject& object) {
    const auto* wmiObject = dynamic_cast<const WmiHealthObject*>(&object);
    return wmiObject ? wmiObject->Object().get() : nullptr;
}

// Runs a getter on the object; the out-value is written only when it succeeds.
template <typename Value, typename Getter>
bool Read(const HealthObject& object, std::string_view property, Value& value, Getter getter) {
    IWbemClassObject* wmiObject = WmiObjectOf(object);
    if (!wmiObject) return false;
    return SUCCEEDED(getter(WbemObject(wmiObject), Wide(property).c_str(), value));
}

}  // namespace

HealthObjectList WmiHealthDataSource::Query(std::string_view nameSpace, std::string_view wql) {
    HealthObjectList objects;
    std::pair<std::string, std::string> key{std::string(nameSpace), std::string(wql)};
    auto answer = answered_.find(key);
    if (answer == answered_.end()) {
        Answer asked;
        asked.ran = RunWqlQuery(key.first, key.second, asked.objects, context_.get()) ==
                    WBEM_S_NO_ERROR;
        answer = answered_.emplace(std::move(key), std::move(asked)).first;
    }
    if (!answer->second.ran) ++queriesNotRun_;
    objects.reserve(answer->second.objects.size());
    for (const win::ComPtr<IWbemClassObject>& result : answer->second.objects)
        objects.push_back(std::make_unique<WmiHealthObject>(result));
    return objects;
}

bool WmiHealthDataSource::ReadBool(const HealthObject& object, std::string_view property,
                                   bool& value) {
    return Read(object, property, value, GetBoolProperty);
}

bool WmiHealthDataSource::ReadInt32(const HealthObject& object, std::string_view property,
                                    std::int32_t& value) {
    return Read(object, property, value, GetInt32Property);
}

bool WmiHealthDataSource::ReadUInt8(const HealthObject& object, std::string_view property,
                                    std::uint8_t& value) {
    return Read(object, property, value, GetUInt8Property);
}

bool WmiHealthDataSource::ReadString(const HealthObject& object, std::string_view property,
                                     std::string& value) {
    return Read(object, property, value, GetStringProperty);
}

bool WmiHealthDataSource::ReadBytes(const HealthObject& object, std::string_view property,
                                    std::size_t capacity, std::vector<std::uint8_t>& value) {
    IWbemClassObject* wmiObject = WmiObjectOf(object);
    if (!wmiObject) return false;
    std::vector<std::uint8_t> bytes(capacity);
    auto count = static_cast<std::uint32_t>(bytes.size());
    if (FAILED(GetByteArrayProperty(WbemObject(wmiObject), Wide(property).c_str(), bytes.data(),
                                    count))) {
        return false;
    }
    bytes.resize(count);
    value = std::move(bytes);
    return true;
}

}  // namespace norv
