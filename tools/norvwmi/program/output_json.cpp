#include "program/output_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "com/wbem_status_names.h"

namespace norvwmi {

namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
    constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        codePoint > 0x10FFFF)
        return 0;
    return length;
}

std::string Escaped(char c) {
    switch (c) {
        case '"':
            return "\\\"";
        case '\\':
            return "\\\\";
        case '\b':
            return "\\b";
        case '\f':
            return "\\f";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case '\t':
            return "\\t";
        default:
            break;
    }
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x",
                  static_cast<unsigned>(static_cast<unsigned char>(c)));
    return text;
}

std::string Number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

bool IsSixtyFourBit(CimType type) {
    return type == CimType::SInt64 || type == CimType::UInt64;
}

std::string ScalarJson(CimType type, const CimValue& value) {
    struct Visitor {
        CimType type;
        std::string operator()(const CimNull&) const { return "null"; }
        std::string operator()(bool flag) const { return flag ? "true" : "false"; }
        std::string operator()(std::int64_t number) const {
            return Integer(std::to_string(number));
        }
        std::string operator()(std::uint64_t number) const {
            return Integer(std::to_string(number));
        }
        std::string operator()(double number) const { return Number(number); }
        std::string operator()(const std::string& text) const { return JsonString(text); }
        std::string operator()(const CimAliasRef& alias) const {
            return JsonString("$" + alias.alias);
        }
        std::string operator()(const CimEmbedded& embedded) const {
            return JsonObject(*embedded.object);
        }
        std::string operator()(const CimArray& elements) const {
            std::string text = "[";
            for (const CimValue& element : elements) {
                if (text.size() > 1) text += ", ";
                text += ScalarJson(type, element);
            }
            return text + "]";
        }
        std::string Integer(std::string digits) const {
            return IsSixtyFourBit(type) ? "\"" + digits + "\"" : digits;
        }
    };
    return std::visit(Visitor{type}, value.data);
}

std::string Document(std::uint32_t status, std::string_view member,
                     std::span<const std::string> items) {
    std::string text = "{\n  \"status\": " + JsonString(StatusHex(status)) + ",\n  \"";
    text += member;
    text += "\": [";
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "\n    " : ",\n    ") + items[i];
    }
    text += items.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return text;
}

}  // namespace

std::string JsonString(std::string_view utf8) {
    std::string text = "\"";
    while (!utf8.empty()) {
        const std::size_t length = Utf8SequenceLength(utf8);
        if (length == 0) {
            text += "\\ufffd";
            utf8.remove_prefix(1);
            continue;
        }
        const char c = utf8.front();
        if (length == 1 && (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\')) {
            text += Escaped(c);
        } else {
            text.append(utf8.substr(0, length));
        }
        utf8.remove_prefix(length);
    }
    return text + "\"";
}

std::string JsonValue(const PropertyDefinition& property, const CimValue& value) {
    return ScalarJson(property.type, value);
}

std::string JsonObject(const CimObject& object) {
    std::string text = "{\"__CLASS\": " + JsonString(object.Definition().name);
    for (std::size_t i = 0; i < object.PropertyCount(); ++i) {
        const CimValue& value = object.ValueAt(i);
        if (value.IsNull()) continue;
        const PropertyDefinition& property = object.PropertyAt(i);
        text += ", " + JsonString(property.name) + ": " + JsonValue(property, value);
    }
    return text + "}";
}

std::string InstancesDocument(std::uint32_t status, std::span<const CimObject> objects) {
    std::vector<std::string> items;
    items.reserve(objects.size());
    for (const CimObject& object : objects) items.push_back(JsonObject(object));
    return Document(status, "instances", items);
}

std::string ClassesDocument(std::uint32_t status, std::span<const std::string> classNames) {
    std::vector<std::string> items;
    items.reserve(classNames.size());
    for (const std::string& name : classNames) items.push_back(JsonString(name));
    return Document(status, "classes", items);
}

}  // namespace norvwmi
