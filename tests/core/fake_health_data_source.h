// An in-memory health data source: each query text of the namespace "root\wmi" answers
// with a fixed list of objects whose properties are booleans or integers. Every query sent
// is recorded, so a test sees the exact text and namespace a builder used.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "inventory/health_data_source.h"

namespace norv::testing {

using FakeValue = std::variant<bool, std::int32_t>;
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

class FakeHealthDataSource final : public HealthDataSource {
public:
    // Objects that the query with exactly this text answers in "root\wmi".
    void Serve(std::string_view wql, std::vector<FakeProperties> objects) {
        served[std::string(wql)] = std::move(objects);
    }

    HealthObjectList Query(std::string_view nameSpace, std::string_view wql) override {
        sent.push_back({std::string(nameSpace), std::string(wql)});
        HealthObjectList objects;
        const auto found = served.find(wql);
        if (nameSpace != "root\\wmi" || found == served.end()) {
            return objects;
        }
        for (const FakeProperties& properties : found->second) {
            objects.push_back(std::make_unique<FakeHealthObject>(properties));
        }
        return objects;
    }

    bool ReadBool(const HealthObject& object, std::string_view property, bool& value) override {
        const FakeValue* found = Find(object, property);
        if (found == nullptr || !std::holds_alternative<bool>(*found)) {
            return false;
        }
        value = std::get<bool>(*found);
        return true;
    }

    bool ReadInt32(const HealthObject& object, std::string_view property,
                   std::int32_t& value) override {
        const FakeValue* found = Find(object, property);
        if (found == nullptr || !std::holds_alternative<std::int32_t>(*found)) {
            return false;
        }
        value = std::get<std::int32_t>(*found);
        return true;
    }

    bool ReadUInt8(const HealthObject& object, std::string_view property,
                   std::uint8_t& value) override {
        std::int32_t wide = 0;
        if (!ReadInt32(object, property, wide)) {
            return false;
        }
        value = static_cast<std::uint8_t>(static_cast<std::uint32_t>(wide) & 0xFFu);
        return true;
    }

    const std::vector<SentQuery>& SentQueries() const { return sent; }

private:
    static const FakeValue* Find(const HealthObject& object, std::string_view property) {
        const auto& properties = static_cast<const FakeHealthObject&>(object).properties;
        const auto found = properties.find(property);
        return found == properties.end() ? nullptr : &found->second;
    }

    std::map<std::string, std::vector<FakeProperties>, std::less<>> served;
    std::vector<SentQuery> sent;
};

}  // namespace norv::testing
