// An in-memory health data source: each query text of a namespace ("root\wmi" unless said
// otherwise) answers with a fixed list of objects whose properties are booleans, integers or
// strings. Every query sent is recorded, so a test sees the exact text and namespace a
// builder used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/health_data_source.h"

namespace norv::testing {

using FakeValue = std::variant<bool, std::int32_t, std::string>;
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
        Serve("root\\wmi", wql, std::move(objects));
    }

    // Objects that the query with exactly this text answers in the given namespace.
    void Serve(std::string_view nameSpace, std::string_view wql,
               std::vector<FakeProperties> objects) {
        served[Key(nameSpace, wql)] = std::move(objects);
    }

    HealthObjectList Query(std::string_view nameSpace, std::string_view wql) override {
        sent.push_back({std::string(nameSpace), std::string(wql)});
        HealthObjectList objects;
        const auto found = served.find(Key(nameSpace, wql));
        if (found == served.end()) {
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

    bool ReadString(const HealthObject& object, std::string_view property,
                    std::string& value) override {
        const FakeValue* found = Find(object, property);
        if (found == nullptr || !std::holds_alternative<std::string>(*found)) {
            return false;
        }
        value = std::get<std::string>(*found);
        return true;
    }

    const std::vector<SentQuery>& SentQueries() const { return sent; }

    // How often exactly this query was sent to this namespace.
    std::size_t TimesSent(std::string_view nameSpace, std::string_view wql) const {
        std::size_t times = 0;
        for (const SentQuery& query : sent) {
            if (query.nameSpace == nameSpace && query.wql == wql) {
                ++times;
            }
        }
        return times;
    }

private:
    static const FakeValue* Find(const HealthObject& object, std::string_view property) {
        const auto& properties = static_cast<const FakeHealthObject&>(object).properties;
        const auto found = properties.find(property);
        return found == properties.end() ? nullptr : &found->second;
    }

    // Namespaces and query texts hold no NUL, so it separates them in the key.
    static std::string Key(std::string_view nameSpace, std::string_view wql) {
        std::string key(nameSpace);
        key += '\0';
        key += wql;
        return key;
    }

    std::map<std::string, std::vector<FakeProperties>, std::less<>> served;
    std::vector<SentQuery> sent;
};

}  // namespace norv::testing
