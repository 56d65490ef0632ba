// The WQL association statements: ASSOCIATORS OF {path} and REFERENCES OF {path}, each with
// an optional WHERE and its keywords, blank-separated (no commas, no AND), each valued one
// as `Keyword = Name`, keywords in any letter case:
//   ASSOCIATORS OF: AssocClass ResultClass Role ResultRole RequiredQualifier
//                   RequiredAssocQualifier ClassDefsOnly KeysOnly SchemaOnly
//   REFERENCES OF:  ResultClass Role RequiredQualifier ClassDefsOnly KeysOnly SchemaOnly
// ClassDefsOnly excludes ResultClass, SchemaOnly and KeysOnly; SchemaOnly excludes KeysOnly.
// The path between the braces is kept as written; its syntax is the object path's.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "repository/wql_select.h"

namespace norvwmi {

enum class AssociationKind { Associators, References };

struct AssociationStatement {
    AssociationKind kind = AssociationKind::Associators;
    std::string sourcePath;
    std::string assocClass;
    std::string resultClass;
    std::string role;
    std::string resultRole;
    std::string requiredQualifier;
    std::string requiredAssocQualifier;
    bool classDefsOnly = false;
    bool keysOnly = false;
    bool schemaOnly = false;
};

// Whether the text starts as an association statement (ASSOCIATORS or REFERENCES), so that
// it is answered as one rather than as a SELECT.
bool IsAssociationStatement(std::string_view query);

// Every fault is WqlError::Kind::Syntax: WMI answers WBEM_E_INVALID_QUERY.
std::variant<AssociationStatement, WqlError> ParseAssociationStatement(std::string_view query);

}  // namespace norvwmi
