#include "repository/association_statement.h"

#include <array>
#include <optional>
#include <utility>

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

using TextField = std::string AssociationStatement::*;
using FlagField = bool AssociationStatement::*;

// A keyword of the WHERE part: valued (`text`) or alone (`flag`), and whether REFERENCES OF
// takes it as well as ASSOCIATORS OF.
struct KeywordRow {
    std::string_view name;
    TextField text;
    FlagField flag;
    bool inReferences;
};

constexpr std::array<KeywordRow, 9> kKeywords{{
    {"AssocClass", &AssociationStatement::assocClass, nullptr, false},
    {"ResultClass", &AssociationStatement::resultClass, nullptr, true},
    {"Role", &AssociationStatement::role, nullptr, true},
    {"ResultRole", &AssociationStatement::resultRole, nullptr, false},
    {"RequiredQualifier", &AssociationStatement::requiredQualifier, nullptr, true},
    {"RequiredAssocQualifier", &AssociationStatement::requiredAssocQualifier, nullptr, false},
    {"ClassDefsOnly", nullptr, &AssociationStatement::classDefsOnly, true},
    {"KeysOnly", nullptr, &AssociationStatement::keysOnly, true},
    {"SchemaOnly", nullptr, &AssociationStatement::schemaOnly, true},
}};

// Pairs of keywords a statement cannot hold together.
struct Exclusion {
    FlagField flag;
    std::string_view flagName;
    bool (*other)(const AssociationStatement&);
    std::string_view otherName;
};

constexpr std::array<Exclusion, 4> kExclusions{{
    {&AssociationStatement::classDefsOnly, "ClassDefsOnly",
     [](const AssociationStatement& s) { return !s.resultClass.empty(); }, "ResultClass"},
    {&AssociationStatement::classDefsOnly, "ClassDefsOnly",
     [](const AssociationStatement& s) { return s.schemaOnly; }, "SchemaOnly"},
    {&AssociationStatement::classDefsOnly, "ClassDefsOnly",
     [](const AssociationStatement& s) { return s.keysOnly; }, "KeysOnly"},
    {&AssociationStatement::schemaOnly, "SchemaOnly",
     [](const AssociationStatement& s) { return s.keysOnly; }, "KeysOnly"},
}};

constexpr bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    std::size_t Offset() {
        SkipBlanks();
        return pos_;
    }
    bool AtEnd() { return Offset() == text_.size(); }
    bool Accept(char c) {
        if (AtEnd() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }
    // A name; empty when none starts here.
    std::string_view Name() {
        const std::size_t start = Offset();
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
        return text_.substr(start, pos_ - start);
    }
    // The text up to the closing brace outside quotes, without its blanks; nullopt when the
    // brace never comes.
    std::optional<std::string_view> UntilClosingBrace() {
        const std::size_t start = Offset();
        bool quoted = false;
        for (; pos_ < text_.size(); ++pos_) {
            const char c = text_[pos_];
            if (quoted && c == '\\' && pos_ + 1 < text_.size()) {
                ++pos_;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == '}' && !quoted) {
                std::string_view path = text_.substr(start, pos_++ - start);
                while (!path.empty() && IsBlank(path.back())) path.remove_suffix(1);
                return path;
            }
        }
        return std::nullopt;
    }

private:
    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

WqlError Fault(std::size_t offset, std::string reason) {
    return WqlError{WqlError::Kind::Syntax, offset, std::move(reason)};
}

const KeywordRow* FindKeyword(std::string_view name) {
    for (const KeywordRow& row : kKeywords)
        if (SameName(row.name, name)) return &row;
    return nullptr;
}

}  // namespace

bool IsAssociationStatement(std::string_view query) {
    Scanner scanner(query);
    const std::string_view first = scanner.Name();
    return SameName(first, "ASSOCIATORS") || SameName(first, "REFERENCES");
}

std::variant<AssociationStatement, WqlError> ParseAssociationStatement(std::string_view query) {
    Scanner scanner(query);
    AssociationStatement statement;
    std::size_t at = scanner.Offset();
    const std::string_view verb = scanner.Name();
    if (SameName(verb, "REFERENCES")) {
        statement.kind = AssociationKind::References;
    } else if (!SameName(verb, "ASSOCIATORS")) {
        return Fault(at, "expected ASSOCIATORS or REFERENCES");
    }
    at = scanner.Offset();
    if (!SameName(scanner.Name(), "OF")) return Fault(at, "expected OF");
    at = scanner.Offset();
    if (!scanner.Accept('{')) return Fault(at, "expected { before the object path");
    const auto path = scanner.UntilClosingBrace();
    if (!path) return Fault(at, "the object path has no closing }");
    if (path->empty()) return Fault(at, "the braces hold no object path");
    statement.sourcePath = std::string(*path);
    if (scanner.AtEnd()) return statement;

    at = scanner.Offset();
    if (!SameName(scanner.Name(), "WHERE")) return Fault(at, "expected WHERE after the path");
    if (scanner.AtEnd()) return Fault(scanner.Offset(), "WHERE names no keyword");
    std::string seen;  // the keywords given, each between blanks
    while (!scanner.AtEnd()) {
        at = scanner.Offset();
        const std::string_view name = scanner.Name();
        const KeywordRow* row = FindKeyword(name);
        if (row == nullptr)
            return Fault(at, name.empty() ? "expected a keyword (keywords are separated by blanks)"
                                          : "unknown keyword " + std::string(name));
        if (statement.kind == AssociationKind::References && !row->inReferences)
            return Fault(at, std::string(row->name) + " does not apply to REFERENCES OF");
        const std::string mark = " " + std::string(row->name) + " ";
        if (seen.find(mark) != std::string::npos)
            return Fault(at, std::string(row->name) + " is given twice");
        seen += mark;
        if (row->flag != nullptr) {
            statement.*(row->flag) = true;
            continue;
        }
        if (!scanner.Accept('=')) return Fault(scanner.Offset(), "expected = after " + std::string(row->name));
        at = scanner.Offset();
        const std::string_view value = scanner.Name();
        if (value.empty()) return Fault(at, "expected a name after " + std::string(row->name) + " =");
        statement.*(row->text) = std::string(value);
    }
    for (const Exclusion& exclusion : kExclusions)
        if (statement.*(exclusion.flag) && exclusion.other(statement))
            return Fault(0, std::string(exclusion.flagName) + " and " +
                                std::string(exclusion.otherName) + " exclude each other");
    return statement;
}

}  // namespace norvwmi
