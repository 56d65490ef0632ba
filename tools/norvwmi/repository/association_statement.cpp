#include "repository/association_statement.h"

#include <array>
#include <utility>

#include "repository/name_compare.h"
#include "repository/wql_lexer.h"

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
    const WqlToken first = WqlLexer(query).Next();
    return IsKeyword(first, "ASSOCIATORS") || IsKeyword(first, "REFERENCES");
}

std::variant<AssociationStatement, WqlError> ParseAssociationStatement(std::string_view query) {
    WqlLexer lexer(query);
    AssociationStatement statement;
    WqlToken token = lexer.Next();
    if (IsKeyword(token, "REFERENCES")) {
        statement.kind = AssociationKind::References;
    } else if (!IsKeyword(token, "ASSOCIATORS")) {
        return Fault(token.offset, "expected ASSOCIATORS or REFERENCES");
    }
    token = lexer.Next();
    if (!IsKeyword(token, "OF")) return Fault(token.offset, "expected OF");
    token = lexer.Next();
    if (token.kind == WqlToken::Kind::Unclosed && token.text.front() == '{')
        return Fault(token.offset, "the object path has no closing }");
    if (token.kind != WqlToken::Kind::Path)
        return Fault(token.offset, "expected { before the object path");
    if (token.text.empty()) return Fault(token.offset, "the braces hold no object path");
    statement.sourcePath = std::string(token.text);
    token = lexer.Next();
    if (token.kind == WqlToken::Kind::End) return statement;

    if (!IsKeyword(token, "WHERE")) return Fault(token.offset, "expected WHERE after the path");
    token = lexer.Next();
    if (token.kind == WqlToken::Kind::End) return Fault(token.offset, "WHERE names no keyword");
    std::string seen;  // the keywords given, each between blanks
    for (; token.kind != WqlToken::Kind::End; token = lexer.Next()) {
        const KeywordRow* row =
            token.kind == WqlToken::Kind::Name ? FindKeyword(token.text) : nullptr;
        if (row == nullptr)
            return Fault(token.offset, token.kind != WqlToken::Kind::Name
                                           ? "expected a keyword (keywords are separated by blanks)"
                                           : "unknown keyword " + std::string(token.text));
        if (statement.kind == AssociationKind::References && !row->inReferences)
            return Fault(token.offset, std::string(row->name) + " does not apply to REFERENCES OF");
        const std::string mark = " " + std::string(row->name) + " ";
        if (seen.find(mark) != std::string::npos)
            return Fault(token.offset, std::string(row->name) + " is given twice");
        seen += mark;
        if (row->flag != nullptr) {
            statement.*(row->flag) = true;
            continue;
        }
        token = lexer.Next();
        if (!IsSymbol(token, '='))
            return Fault(token.offset, "expected = after " + std::string(row->name));
        token = lexer.Next();
        if (token.kind != WqlToken::Kind::Name)
            return Fault(token.offset, "expected a name after " + std::string(row->name) + " =");
        statement.*(row->text) = std::string(token.text);
    }
    for (const Exclusion& exclusion : kExclusions)
        if (statement.*(exclusion.flag) && exclusion.other(statement))
            return Fault(0, std::string(exclusion.flagName) + " and " +
                                std::string(exclusion.otherName) + " exclude each other");
    return statement;
}

}  // namespace norvwmi
