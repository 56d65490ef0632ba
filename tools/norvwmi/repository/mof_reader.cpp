#include "repository/mof_reader.h"

#include <array>
#include <cstdint>
#include <limits>
#include <unordered_set>

#include "repository/mof_lexer.h"
#include "repository/name_compare.h"

namespace norvwmi {

namespace {

enum class PragmaAction { SetNamespace, Ignore };

struct PragmaRule {
    std::string_view name;
    PragmaAction action;
};

// Pragmas that only steer how mofcomp stores what it compiles; they change nothing the
// host serves. Any other pragma (include, deleteclass, ...) is refused.
constexpr std::array kPragmas{
    PragmaRule{"namespace", PragmaAction::SetNamespace},
    PragmaRule{"classflags", PragmaAction::Ignore},
    PragmaRule{"instanceflags", PragmaAction::Ignore},
    PragmaRule{"autorecover", PragmaAction::Ignore},
    PragmaRule{"locale", PragmaAction::Ignore},
};

// Qualifier flavors are accepted and dropped: the repository keeps no flavors.
constexpr std::array<std::string_view, 9> kQualifierFlavors{
    "ToSubclass",      "NotToSubclass", "ToInstance", "NotToInstance", "EnableOverride",
    "DisableOverride", "Restricted",    "Amended",    "Translatable",
};

constexpr std::size_t kMaxShownTokenLength = 40;

std::string Describe(const MofToken& token) {
    if (token.kind == MofTokenKind::End) return "end of file";
    std::string shown(token.text.substr(0, kMaxShownTokenLength));
    if (token.text.size() > kMaxShownTokenLength) shown += "...";
    if (token.kind == MofTokenKind::String) return "string " + shown;
    return "'" + shown + "'";
}

bool IsQualifierTrue(const PropertyDefinition& parameter, std::string_view name) {
    const Qualifier* qualifier = parameter.FindQualifier(name);
    if (!qualifier) return false;
    const bool* flag = std::get_if<bool>(&qualifier->value.data);
    return flag && *flag;
}

// Names declared so far in one scope (a class, a method, an instance, a qualifier list),
// so that a repeated name is found without a scan of all earlier ones.
class NameSet {
public:
    // False when the name was there already.
    bool Insert(std::string_view name) {
        std::string folded(name);
        for (char& c : folded) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return names_.insert(std::move(folded)).second;
    }

private:
    std::unordered_set<std::string> names_;
};

struct DeclaredType {
    CimType type = CimType::String;
    std::string referenceClass;
    std::string written;
};

struct PragmaArgument {
    bool isString = false;
    std::string text;
};

class MofParser {
public:
    MofParser(std::string_view text, std::string_view file) : lexer_(text), file_(file) {
        Advance();
    }

    MofReadResult Parse() {
        MofReadResult result;
        result.document.file = file_;
        while (!error_ && token_.kind != MofTokenKind::End) {
            if (!ParseStatement(result.document)) break;
        }
        if (error_) {
            result.document = MofDocument{file_, {}, {}};
            result.error = error_;
        }
        return result;
    }

private:
    // Moves to the next token; a malformed token becomes the error.
    bool Advance() {
        token_ = lexer_.Next();
        if (token_.kind != MofTokenKind::Invalid) return true;
        return FailAt(token_.line, token_.message);
    }

    bool FailAt(int line, std::string message) {
        if (!error_) error_ = MofError{file_, line, std::move(message)};
        return false;
    }

    bool Expected(std::string_view what) {
        return FailAt(token_.line, "expected " + std::string(what) + ", found " + Describe(token_));
    }

    bool IsKeyword(std::string_view keyword) const {
        return token_.kind == MofTokenKind::Identifier && SameName(token_.text, keyword);
    }

    bool ExpectPunctuation(char punctuation, std::string_view context) {
        if (!token_.Is(punctuation))
            return Expected(std::string("'") + punctuation + "' " + std::string(context));
        return Advance();
    }

    bool ParseStatement(MofDocument& document) {
        if (token_.kind == MofTokenKind::Pragma) return ParsePragma();
        std::vector<Qualifier> qualifiers;
        const bool qualified = token_.Is('[');
        if (qualified && !ParseQualifierList(qualifiers)) return false;
        if (IsKeyword("class")) return ParseClass(std::move(qualifiers), document);
        if (IsKeyword("instance")) {
            if (qualified)
                return FailAt(token_.line, "qualifiers on an instance are not supported");
            return ParseInstance(document);
        }
        if (qualified) return Expected("'class' after a qualifier list");
        return Expected("'class', 'instance of' or '#pragma'");
    }

    // #pragma name [( argument, ... )]
    bool ParsePragma() {
        const int line = token_.line;
        if (!Advance()) return false;
        if (token_.kind != MofTokenKind::Identifier)
            return Expected("a pragma name after '#pragma'");
        const std::string name(token_.text);
        if (!Advance()) return false;

        std::vector<PragmaArgument> arguments;
        if (token_.Is('(')) {
            if (!Advance()) return false;
            while (!token_.Is(')')) {
                if (token_.kind == MofTokenKind::String) {
                    std::string text;
                    if (!ParseStringConcatenation(text)) return false;
                    arguments.push_back({true, std::move(text)});
                } else if (token_.kind == MofTokenKind::Identifier ||
                           token_.kind == MofTokenKind::Integer) {
                    arguments.push_back({false, std::string(token_.text)});
                    if (!Advance()) return false;
                } else {
                    return Expected("a #pragma argument");
                }
                if (token_.Is(')')) break;
                if (!token_.Is(',')) return Expected("',' or ')' in the #pragma arguments");
                if (!Advance()) return false;
                if (token_.Is(')')) return Expected("a #pragma argument");
            }
            if (!Advance()) return false;
        }

        for (const PragmaRule& rule : kPragmas) {
            if (!SameName(rule.name, name)) continue;
            if (rule.action == PragmaAction::Ignore) return true;
            if (arguments.size() != 1 || !arguments[0].isString)
                return FailAt(line, "#pragma namespace needs one string argument");
            std::optional<std::string> resolved =
                ResolveMofNamespace(nameSpace_, arguments[0].text);
            if (!resolved) return FailAt(line, "invalid namespace \"" + arguments[0].text + "\"");
            nameSpace_ = std::move(*resolved);
            return true;
        }
        return FailAt(line, "unsupported #pragma " + Quoted(name));
    }

    // [name, name(value), name{value, ...} : Flavor ...]
    bool ParseQualifierList(std::vector<Qualifier>& qualifiers) {
        if (!Advance()) return false;  // '['
        NameSet seen;
        for (;;) {
            if (token_.kind != MofTokenKind::Identifier) return Expected("a qualifier name");
            Qualifier qualifier;
            qualifier.name = std::string(token_.text);
            const int line = token_.line;
            if (!seen.Insert(qualifier.name))
                return FailAt(line, "duplicate qualifier " + Quoted(qualifier.name));
            if (!Advance()) return false;
            if (token_.Is('(')) {
                if (!Advance() || !ParseScalarValue(qualifier.value, false)) return false;
                if (!ExpectPunctuation(')', "after the qualifier value")) return false;
            } else if (token_.Is('{')) {
                if (!ParseArrayValue(qualifier.value, false)) return false;
            } else {
                qualifier.value = CimValue{true};
            }
            if (token_.Is(':') && !ParseFlavors()) return false;
            qualifiers.push_back(std::move(qualifier));
            if (token_.Is(']')) return Advance();
            if (!token_.Is(',')) return Expected("',' or ']' in the qualifier list");
            if (!Advance()) return false;
        }
    }

    bool ParseFlavors() {
        if (!Advance()) return false;  // ':'
        bool any = false;
        while (token_.kind == MofTokenKind::Identifier) {
            bool known = false;
            for (std::string_view flavor : kQualifierFlavors)
                known = known || SameName(flavor, token_.text);
            if (!known)
                return FailAt(token_.line, "unknown qualifier flavor " + Quoted(token_.text));
            any = true;
            if (!Advance()) return false;
        }
        return any || Expected("a qualifier flavor after ':'");
    }

    bool ParseValue(CimValue& value, bool allowAlias) {
        if (token_.Is('{')) return ParseArrayValue(value, allowAlias);
        return ParseScalarValue(value, allowAlias);
    }

    bool ParseArrayValue(CimValue& value, bool allowAlias) {
        if (!Advance()) return false;  // '{'
        CimArray elements;
        if (!token_.Is('}')) {
            for (;;) {
                if (token_.Is('{')) return FailAt(token_.line, "arrays cannot be nested");
                if (IsKeyword("null"))
                    return FailAt(token_.line, "NULL is not allowed inside an array");
                CimValue element;
                if (!ParseScalarValue(element, allowAlias)) return false;
                elements.push_back(std::move(element));
                if (token_.Is('}')) break;
                if (!token_.Is(',')) return Expected("',' or '}' in the array value");
                if (!Advance()) return false;
            }
        }
        value = CimValue{std::move(elements)};
        return Advance();  // '}'
    }

    bool ParseScalarValue(CimValue& value, bool allowAlias) {
        switch (token_.kind) {
            case MofTokenKind::Integer:
                if (token_.negative) {
                    // Two's complement negation covers -9223372036854775808 as well.
                    value = CimValue{static_cast<std::int64_t>(~token_.magnitude + 1)};
                } else {
                    value = CimValue{token_.magnitude};
                }
                return Advance();
            case MofTokenKind::Real:
                value = CimValue{token_.real};
                return Advance();
            case MofTokenKind::String: {
                std::string text;
                if (!ParseStringConcatenation(text)) return false;
                value = CimValue{std::move(text)};
                return true;
            }
            case MofTokenKind::Alias:
                if (!allowAlias)
                    return FailAt(token_.line, "an alias reference (" + std::string(token_.text) +
                                                   ") is allowed only as a value in an instance");
                value = CimValue{CimAliasRef{token_.stringValue}};
                return Advance();
            case MofTokenKind::Identifier:
                if (IsKeyword("true") || IsKeyword("false")) {
                    value = CimValue{IsKeyword("true")};
                    return Advance();
                }
                if (IsKeyword("null")) {
                    value = CimValue{};
                    return Advance();
                }
                return Expected("a value");
            default:
                return Expected("a value");
        }
    }

    // "a" "b" is "ab", as in C.
    bool ParseStringConcatenation(std::string& text) {
        while (token_.kind == MofTokenKind::String) {
            text += token_.stringValue;
            if (!Advance()) return false;
        }
        return true;
    }

    // uint32 | string | ClassName ref
    bool ParseType(DeclaredType& declared, std::string_view what) {
        if (token_.kind != MofTokenKind::Identifier) return Expected(what);
        declared.written = std::string(token_.text);
        const int line = token_.line;
        if (!Advance()) return false;
        if (IsKeyword("ref")) {
            // "object ref" refers to an instance of any class.
            const bool anyClass = SameName(declared.written, "object");
            if (!anyClass && CimTypeFromName(declared.written))
                return FailAt(line, "a reference needs a class name before 'ref', found type " +
                                        Quoted(declared.written));
            declared.type = CimType::Reference;
            if (!anyClass) declared.referenceClass = declared.written;
            declared.written += " ref";
            return Advance();
        }
        const std::optional<CimType> type = CimTypeFromName(declared.written);
        if (!type) return FailAt(line, "unknown type " + Quoted(declared.written));
        declared.type = *type;
        return true;
    }

    // [] or [4]
    bool ParseArraySize() {
        if (!Advance()) return false;  // '['
        if (token_.kind == MofTokenKind::Integer) {
            if (token_.negative || token_.magnitude == 0)
                return FailAt(token_.line, "an array size must be a positive integer");
            if (!Advance()) return false;
        }
        if (!token_.Is(']')) return Expected("an array size or ']'");
        return Advance();
    }

    bool ParseClass(std::vector<Qualifier> qualifiers, MofDocument& document) {
        if (!Advance()) return false;  // 'class'
        if (token_.kind != MofTokenKind::Identifier) return Expected("a class name after 'class'");
        ClassDefinition definition;
        definition.name = std::string(token_.text);
        definition.nameSpace = nameSpace_;
        definition.qualifiers = std::move(qualifiers);
        definition.where = {file_, token_.line};
        if (!Advance()) return false;
        if (token_.Is(':')) {
            if (!Advance()) return false;
            if (token_.kind != MofTokenKind::Identifier)
                return Expected("a superclass name after ':'");
            definition.superclass = std::string(token_.text);
            if (!Advance()) return false;
        }
        if (!ExpectPunctuation('{', "to open class " + Quoted(definition.name))) return false;
        NameSet propertyNames;
        NameSet methodNames;
        while (!token_.Is('}')) {
            if (token_.kind == MofTokenKind::End)
                return Expected("'}' to close class " + Quoted(definition.name));
            if (!ParseFeature(definition, propertyNames, methodNames)) return false;
        }
        if (!Advance()) return false;  // '}'
        if (!ExpectPunctuation(';', "after the class declaration")) return false;
        document.classes.push_back(std::move(definition));
        return true;
    }

    // A property or a method, with its qualifiers.
    bool ParseFeature(ClassDefinition& definition, NameSet& propertyNames, NameSet& methodNames) {
        std::vector<Qualifier> qualifiers;
        if (token_.Is('[') && !ParseQualifierList(qualifiers)) return false;
        DeclaredType type;
        if (!ParseType(type, "a property or method declaration")) return false;
        if (token_.kind != MofTokenKind::Identifier)
            return Expected("a name after type " + Quoted(type.written));
        const std::string name(token_.text);
        const int line = token_.line;
        if (!Advance()) return false;
        if (token_.Is('(')) {
            if (type.type == CimType::Reference)
                return FailAt(line, "method " + Quoted(name) + " cannot return a reference");
            MethodDefinition method;
            method.name = name;
            method.returnType = type.type;
            method.qualifiers = std::move(qualifiers);
            method.where = {file_, line};
            if (!ParseParameters(method)) return false;
            if (!ExpectPunctuation(';', "after the method declaration")) return false;
            if (!methodNames.Insert(name))
                return FailAt(line, "method " + Quoted(name) + " is declared twice in class " +
                                        Quoted(definition.name));
            definition.methods.push_back(std::move(method));
            return true;
        }
        PropertyDefinition property;
        property.name = name;
        property.type = type.type;
        property.referenceClass = type.referenceClass;
        property.qualifiers = std::move(qualifiers);
        property.where = {file_, line};
        if (token_.Is('[')) {
            property.isArray = true;
            if (!ParseArraySize()) return false;
        }
        if (token_.Is('=')) {
            if (!Advance() || !ParseValue(property.defaultValue, false)) return false;
        }
        if (!ExpectPunctuation(';', "after property declaration")) return false;
        if (!propertyNames.Insert(name))
            return FailAt(line, "property " + Quoted(name) + " is declared twice in class " +
                                    Quoted(definition.name));
        definition.properties.push_back(std::move(property));
        return true;
    }

    // ([in] uint32 x = 1, [out] string y[])
    bool ParseParameters(MethodDefinition& method) {
        if (!Advance()) return false;  // '('
        NameSet parameterNames;
        while (!token_.Is(')')) {
            PropertyDefinition parameter;
            if (token_.Is('[') && !ParseQualifierList(parameter.qualifiers)) return false;
            DeclaredType type;
            if (!ParseType(type, "a parameter type")) return false;
            if (token_.kind != MofTokenKind::Identifier) return Expected("a parameter name");
            parameter.name = std::string(token_.text);
            parameter.type = type.type;
            parameter.referenceClass = type.referenceClass;
            parameter.where = {file_, token_.line};
            if (!Advance()) return false;
            if (token_.Is('[')) {
                parameter.isArray = true;
                if (!ParseArraySize()) return false;
            }
            // A default, which a client that passes no value gets: [in] string s = "x"
            if (token_.Is('=')) {
                if (!Advance() || !ParseValue(parameter.defaultValue, false)) return false;
            }
            if (!IsQualifierTrue(parameter, "in") && !IsQualifierTrue(parameter, "out"))
                return FailAt(parameter.where.line, "parameter " + Quoted(parameter.name) +
                                                        " of method " + Quoted(method.name) +
                                                        " needs an [in] or [out] qualifier");
            if (!parameterNames.Insert(parameter.name))
                return FailAt(parameter.where.line, "parameter " + Quoted(parameter.name) +
                                                        " is declared twice in method " +
                                                        Quoted(method.name));
            method.parameters.push_back(std::move(parameter));
            if (token_.Is(')')) break;
            if (!token_.Is(','))
                return Expected("',' or ')' in the parameters of " + Quoted(method.name));
            if (!Advance()) return false;
        }
        return Advance();  // ')'
    }

    // instance of Class [as $Alias] { Name = value; ... };
    bool ParseInstance(MofDocument& document) {
        InstanceDefinition instance;
        instance.nameSpace = nameSpace_;
        instance.where = {file_, token_.line};
        if (!Advance()) return false;  // 'instance'
        if (!IsKeyword("of")) return Expected("'of' after 'instance'");
        if (!Advance()) return false;
        if (token_.kind != MofTokenKind::Identifier)
            return Expected("a class name after 'instance of'");
        instance.className = std::string(token_.text);
        if (!Advance()) return false;
        if (IsKeyword("as")) {
            if (!Advance()) return false;
            if (token_.kind != MofTokenKind::Alias) return Expected("an alias ($Name) after 'as'");
            instance.alias = token_.stringValue;
            if (!Advance()) return false;
        }
        const std::string context = "of " + Quoted(instance.className);
        if (!ExpectPunctuation('{', "to open the instance " + context)) return false;
        NameSet valueNames;
        while (!token_.Is('}')) {
            if (token_.kind == MofTokenKind::End)
                return Expected("'}' to close the instance " + context);
            if (token_.kind != MofTokenKind::Identifier)
                return Expected("a property name in the instance " + context);
            PropertyValue assignment;
            assignment.name = std::string(token_.text);
            assignment.where = {file_, token_.line};
            if (!Advance()) return false;
            if (!ExpectPunctuation('=', "after property name " + Quoted(assignment.name)))
                return false;
            if (!ParseValue(assignment.value, true)) return false;
            if (!ExpectPunctuation(';', "after the value of " + Quoted(assignment.name)))
                return false;
            if (!valueNames.Insert(assignment.name))
                return FailAt(assignment.where.line, "property " + Quoted(assignment.name) +
                                                         " is given twice in the instance " +
                                                         context);
            instance.values.push_back(std::move(assignment));
        }
        if (!Advance()) return false;  // '}'
        if (!ExpectPunctuation(';', "after the instance declaration")) return false;
        document.instances.push_back(std::move(instance));
        return true;
    }

    MofLexer lexer_;
    std::string file_;
    MofToken token_;
    std::optional<MofError> error_;
    std::string nameSpace_{kDefaultMofNamespace};
};

bool IsNamespaceComponent(std::string_view component) {
    if (component.empty()) return false;
    for (char c : component) {
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '_') return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> ResolveMofNamespace(std::string_view current, std::string_view written) {
    std::string path(written);
    for (char& c : path)
        if (c == '/') c = '\\';
    // \\server\root\wmi: the server part names the machine, which is always this one.
    if (path.starts_with("\\\\")) {
        const std::size_t serverEnd = path.find('\\', 2);
        if (serverEnd == std::string::npos || serverEnd == 2) return std::nullopt;
        path.erase(0, serverEnd + 1);
    }
    std::string_view rest = path;
    std::vector<std::string_view> components;
    for (;;) {
        const std::size_t separator = rest.find('\\');
        components.push_back(rest.substr(0, separator));
        if (!IsNamespaceComponent(components.back())) return std::nullopt;
        if (separator == std::string_view::npos) break;
        rest.remove_prefix(separator + 1);
    }
    std::string resolved = SameName(components.front(), "root") ? "" : std::string(current);
    for (std::string_view component : components) {
        if (!resolved.empty()) resolved += '\\';
        resolved += component;
    }
    return resolved;
}

MofReadResult ReadMof(std::string_view text, std::string_view fileName) {
    return MofParser(text, fileName).Parse();
}

}  // namespace norvwmi
