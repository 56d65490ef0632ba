// An in-memory health data source: each query text of a namespace ("root\wmi" unless said
// otherwise) answers with a fixed list of objects whose properties are booleans, integers or
// strings. Every query sent is recorded, so a test sees the exact text and namespace a
// builder used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "inventory/environmental_builders.h"
#include "inventory/sensor_inventory.h"
#include "inventory/system_builders.h"
#include "platform/health_data_source.h"

namespace norv::testing {

using FakeValue = std::variant<bool, std::int32_t, std::string, std::vector<std::uint8_t>>;
using FakeProperties = std::map<std::string, FakeValue, std::less<>>;

class FakeHealthObject final : public HealthObject {
public:
    explicit FakeHealthObject(FakeProperties values) : properties(std::move(values)) {}
    const FakeProperties properties;
};

struct SentQuery {
    std::string nameSpace;
    std::string wql;
};

class FakeHealthDataSource : public HealthDataSource {
public:
    void Serve(std::string_view wql, std::vector<FakeProperties> objects) {
        Serve(kHealthNamespace, wql, std::move(objects));
    }
    void Serve(std::string_view nameSpace, std::string_view wql,
               std::vector<FakeProperties> objects) {
        served[Key(nameSpace, wql)] = std::move(objects);
    }

    // A query that does not run: it answers what it serves (none, as a refused class; some,
    // as an enumeration that timed out) and counts as not run.
    void Fail(std::string_view wql) { failing.insert(Key(kHealthNamespace, wql)); }

    HealthObjectList Query(std::string_view nameSpace, std::string_view wql) override {
        sent.push_back({std::string(nameSpace), std::string(wql)});
        HealthObjectList objects;
        if (failing.contains(Key(nameSpace, wql))) ++notRun;
        const auto found = served.find(Key(nameSpace, wql));
        if (found == served.end()) return objects;
        for (const FakeProperties& properties : found->second)
            objects.push_back(std::make_unique<FakeHealthObject>(properties));
        return objects;
    }

    bool ReadBool(const HealthObject& object, std::string_view property, bool& value) override {
        return Read(object, property, value);
    }
    bool ReadInt32(const HealthObject& object, std::string_view property,
                   std::int32_t& value) override {
        return Read(object, property, value);
    }
    bool ReadUInt8(const HealthObject& object, std::string_view property,
                   std::uint8_t& value) override {
        std::int32_t wide = 0;
        if (!ReadInt32(object, property, wide)) return false;
        value = static_cast<std::uint8_t>(static_cast<std::uint32_t>(wide) & 0xFFu);
        return true;
    }
    std::size_t QueriesNotRun() const override { return notRun; }
    bool ReadBytes(const HealthObject& object, std::string_view property, std::size_t capacity,
                   std::vector<std::uint8_t>& value) override {
        if (!Read(object, property, value)) return false;
        if (value.size() > capacity) value.resize(capacity);
        return true;
    }
    bool ReadString(const HealthObject& object, std::string_view property,
                    std::string& value) override {
        return Read(object, property, value);
    }

    std::vector<FakeProperties>& Served(std::string_view wql) {
        return served[Key(kHealthNamespace, wql)];
    }

    const std::vector<SentQuery>& SentQueries() const { return sent; }

    // How often exactly this query was sent to this namespace.
    std::size_t TimesSent(std::string_view nameSpace, std::string_view wql) const {
        std::size_t times = 0;
        for (const SentQuery& query : sent)
            times += query.nameSpace == nameSpace && query.wql == wql;
        return times;
    }

private:
    template <typename T>
    static bool Read(const HealthObject& object, std::string_view property, T& value) {
        const auto& properties = static_cast<const FakeHealthObject&>(object).properties;
        const auto found = properties.find(property);
        if (found == properties.end() || !std::holds_alternative<T>(found->second)) return false;
        value = std::get<T>(found->second);
        return true;
    }

    // Namespaces and query texts hold no NUL, so it separates them in the key.
    static std::string Key(std::string_view nameSpace, std::string_view wql) {
        return std::string(nameSpace) + '\0' + std::string(wql);
    }

    std::map<std::string, std::vector<FakeProperties>, std::less<>> served;
    std::set<std::string, std::less<>> failing;
    std::size_t notRun = 0;
    std::vector<SentQuery> sent;
};

using Builder = std::function<bool(SensorInventory&, HealthDataSource&, std::uint8_t&)>;

// What one builder run left: its result, the inventory and the counter.
struct Built {
    bool ok = false;
    SensorInventory inventory;
    std::uint8_t counter = 0;
};

// Runs `build` from `counter` on a source that already serves what it needs.
inline Built Build(const Builder& build, HealthDataSource& source, std::uint8_t counter = 10,
                   SensorInventory inventory = {}) {
    Built run{.inventory = std::move(inventory), .counter = counter};
    run.ok = build(run.inventory, source, run.counter);
    return run;
}

struct NamedBuilder {
    Builder build;
    std::string_view wql;
};

// The builders and their queries by the names the case files use.
inline const std::map<std::string, NamedBuilder, std::less<>> kNamedBuilders = {
    {"temperature", {BuildTemperatureSensors, kTemperatureQuery}},
    {"fan", {BuildFanSensors, kFanQuery}},
    {"fangroup", {BuildFanGroupSensors, kFanGroupQuery}},
    {"powerred", {BuildPowerRedundancySensors, kPowerRedundancyQuery}},
    {"supply", {BuildPowerSupplySensors, kPowerSupplyQuery}},
    {"asr", {BuildAsrSensor, kAsrQuery}},
    {"uid", {BuildUidLightSensors, kUidLightQuery}},
    {"firmware", {BuildFirmwareSensors, kAsrQuery}},
    {"memory", {BuildMemorySubsystemSensors, kMemorySubsystemQuery}},
    {"boards", {BuildMemoryBoardSensors, kMemoryBoardQuery}},
    {"dimms", {BuildDimmSensors, kDimmQuery}},
};

// Objects from "Name=value ...; Name=value ..." text: booleans, 32-bit integers and "texts";
// {} is an object without properties, @name stands for a definition's properties, and a
// later name wins.
inline void ReadProperties(std::istream& in, FakeProperties& object,
                           const std::map<std::string, std::string>& definitions) {
    for (std::string word; in >> word;) {
        if (word.starts_with("@")) {
            std::istringstream defined(definitions.at(word));
            ReadProperties(defined, object, definitions);
            continue;
        }
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos) continue;  // {}
        const std::string name = word.substr(0, equals), value = word.substr(equals + 1);
        if (value == "true" || value == "false") {
            object[name] = value == "true";
        } else if (value.starts_with("\"")) {
            object[name] = value.substr(1, value.size() - 2);
        } else {
            object[name] = static_cast<std::int32_t>(std::stol(value, nullptr, 0));
        }
    }
}

inline std::vector<FakeProperties> ReadObjects(
    const std::string& text, const std::map<std::string, std::string>& definitions) {
    std::vector<FakeProperties> objects;
    std::istringstream list(text);
    for (std::string object; std::getline(list, object, ';');) {
        std::istringstream in(object);
        ReadProperties(in, objects.emplace_back(), definitions);
    }
    return objects;
}

// A record in one line: owner.number, name, kind, sensor type / reading type, entity.instance,
// state mask, key numbers, current state, and whether it is hidden.
inline std::string Identity(const SensorRecord& r) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "%u.%u %s: kind %u type %02X/%02X entity %02X.%u mask %X key %u/%u state %u%s",
                  unsigned{r.OwnerId()}, unsigned{r.SensorNumber()}, r.Name().c_str(),
                  static_cast<unsigned>(r.Kind()), unsigned{r.SensorType()},
                  unsigned{r.EventReadingType()}, unsigned{r.EntityId()},
                  unsigned{r.EntityInstance()}, unsigned{r.StateMask()}, unsigned{r.KeyNumber1()},
                  unsigned{r.KeyNumber2()}, unsigned{r.CurrentState()},
                  r.Present() == 0 ? " (hidden)" : "");
    return r.Present() > 1 ? text + std::string(" (present ") + std::to_string(r.Present()) + ")"
                           : text;
}

}  // namespace norv::testing
