#include "program/output_json.h"

#include <nlohmann/json.hpp>

#include "com/wbem_status_names.h"

namespace norvwmi {

namespace {

// Members in the order they are put: __CLASS first, then the properties as WMI lists them.
using Json = nlohmann::ordered_json;

constexpr int kIndent = 2;

bool IsSixtyFourBit(CimType type) {
    return type == CimType::SInt64 || type == CimType::UInt64;
}

Json ObjectJson(const CimObject& object);

Json ValueJson(CimType type, const CimValue& value) {
    struct Visitor {
        CimType type;
        Json operator()(const CimNull&) const { return nullptr; }
        Json operator()(bool flag) const { return flag; }
        Json operator()(std::int64_t number) const {
            return IsSixtyFourBit(type) ? Json(std::to_string(number)) : Json(number);
        }
        Json operator()(std::uint64_t number) const {
            return IsSixtyFourBit(type) ? Json(std::to_string(number)) : Json(number);
        }
        Json operator()(double number) const { return number; }  // not finite: null
        Json operator()(const std::string& text) const { return text; }
        Json operator()(const CimAliasRef& alias) const { return "$" + alias.alias; }
        Json operator()(const CimEmbedded& embedded) const { return ObjectJson(*embedded.object); }
        Json operator()(const CimArray& elements) const {
            Json array = Json::array();
            for (const CimValue& element : elements) array.push_back(std::visit(*this, element.data));
            return array;
        }
    };
    return std::visit(Visitor{type}, value.data);
}

Json ObjectJson(const CimObject& object) {
    Json json = Json::object();
    json["__CLASS"] = object.Definition().name;
    for (std::size_t i = 0; i < object.PropertyCount(); ++i) {
        const CimValue& value = object.ValueAt(i);
        if (!value.IsNull()) json[object.PropertyAt(i).name] = ValueJson(object.PropertyAt(i).type, value);
    }
    return json;
}

std::string Document(std::uint32_t status, const char* member, Json items) {
    Json document = Json::object();
    document["status"] = StatusHex(status);
    document[member] = std::move(items);
    return document.dump(kIndent, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string InstancesDocument(std::uint32_t status, std::span<const CimObject> objects) {
    Json items = Json::array();
    for (const CimObject& object : objects) items.push_back(ObjectJson(object));
    return Document(status, "instances", std::move(items));
}

std::string ClassesDocument(std::uint32_t status, std::span<const std::string> classNames) {
    Json items = Json::array();
    for (const std::string& name : classNames) items.push_back(name);
    return Document(status, "classes", std::move(items));
}

}  // namespace norvwmi
