#include "repository/mof_text.h"

#include <charconv>
#include <cstdint>
#include <type_traits>
#include <variant>

namespace norvwmi {

namespace {

void AppendQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    out += '"';
}

void AppendLiteral(std::string& out, const CimValue& value) {
    std::visit(
        [&out](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, CimNull>) {
                out += "NULL";
            } else if constexpr (std::is_same_v<T, bool>) {
                out += v ? "TRUE" : "FALSE";
            } else if constexpr (std::is_same_v<T, std::int64_t> ||
                                 std::is_same_v<T, std::uint64_t>) {
                out += std::to_string(v);
            } else if constexpr (std::is_same_v<T, double>) {
                char buffer[32];
                const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
                out.append(buffer, result.ptr);
            } else if constexpr (std::is_same_v<T, std::string>) {
                AppendQuoted(out, v);
            } else if constexpr (std::is_same_v<T, CimAliasRef>) {
                out += '$';
                out += v.alias;
            } else if constexpr (std::is_same_v<T, CimEmbedded>) {
                // Nested as GetObjectText nests it: the object's text without its ";".
                std::string text = ObjectText(*v.object);
                while (!text.empty() && (text.back() == '\n' || text.back() == ';')) text.pop_back();
                out += text;
            } else {
                out += '{';
                for (std::size_t i = 0; i < v.size(); ++i) {
                    if (i) out += ", ";
                    AppendLiteral(out, v[i]);
                }
                out += '}';
            }
        },
        value.data);
}

void AppendQualifiers(std::string& out, const std::vector<Qualifier>& qualifiers) {
    if (qualifiers.empty()) return;
    out += '[';
    for (std::size_t i = 0; i < qualifiers.size(); ++i) {
        const Qualifier& qualifier = qualifiers[i];
        if (i) out += ", ";
        out += qualifier.name;
        const bool* flag = std::get_if<bool>(&qualifier.value.data);
        if (flag && *flag) continue;
        if (std::holds_alternative<CimArray>(qualifier.value.data)) {
            AppendLiteral(out, qualifier.value);
        } else {
            out += '(';
            AppendLiteral(out, qualifier.value);
            out += ')';
        }
    }
    out += "] ";
}

void AppendDeclaration(std::string& out, const PropertyDefinition& property) {
    AppendQualifiers(out, property.qualifiers);
    // A reference names its class before "ref"; one to any class is an object reference.
    if (property.type == CimType::Reference)
        out += property.referenceClass.empty() ? "object " : property.referenceClass + " ";
    out += CimTypeName(property.type);
    out += ' ';
    out += property.name;
    if (property.isArray) out += "[]";
}

std::string InstanceText(const CimObject& object) {
    std::string out = "instance of " + object.Definition().name + "\n{\n";
    for (std::size_t i = 0; i < object.PropertyCount(); ++i) {
        const CimValue& value = object.ValueAt(i);
        if (value.IsNull()) continue;
        out += '\t';
        out += object.PropertyAt(i).name;
        out += " = ";
        AppendLiteral(out, value);
        out += ";\n";
    }
    out += "};\n";
    return out;
}

std::string ClassText(const CimObject& object) {
    const ClassDefinition& definition = object.Definition();
    std::string out;
    if (!definition.qualifiers.empty()) {
        AppendQualifiers(out, definition.qualifiers);
        out.back() = '\n';
    }
    out += "class " + definition.name;
    if (!definition.superclass.empty()) out += " : " + definition.superclass;
    out += "\n{\n";
    for (std::size_t i = 0; i < object.PropertyCount(); ++i) {
        if (!object.IsLocalAt(i)) continue;
        out += '\t';
        AppendDeclaration(out, object.PropertyAt(i));
        if (!object.ValueAt(i).IsNull()) {
            out += " = ";
            AppendLiteral(out, object.ValueAt(i));
        }
        out += ";\n";
    }
    for (const MethodDefinition& method : definition.methods) {
        out += '\t';
        AppendQualifiers(out, method.qualifiers);
        out += CimTypeName(method.returnType);
        out += ' ' + method.name + '(';
        for (std::size_t i = 0; i < method.parameters.size(); ++i) {
            if (i) out += ", ";
            AppendDeclaration(out, method.parameters[i]);
        }
        out += ");\n";
    }
    out += "};\n";
    return out;
}

}  // namespace

std::string MofLiteral(const CimValue& value) {
    std::string out;
    AppendLiteral(out, value);
    return out;
}

std::string ObjectText(const CimObject& object) {
    return object.GetGenus() == Genus::Class ? ClassText(object) : InstanceText(object);
}

}  // namespace norvwmi
