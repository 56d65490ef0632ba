// ASSOCIATORS OF and REFERENCES OF: the statement's grammar (association_statements.txt) and
// the engine's matching over the static namespace of associations.mof, the objects taken
// from the repository as WMI takes those of a class without a provider
// (association_queries.txt).
#include <gtest/gtest.h>

#include <array>

#include "com/wbem_status_names.h"
#include "repository/association_query.h"
#include "repository/association_statement.h"
#include "repository/query_evaluation.h"
#include "support/test_files.h"

namespace norvwmi {
namespace {

std::string StatementText(const AssociationStatement& s) {
    std::string text = s.kind == AssociationKind::Associators ? "ASSOCIATORS" : "REFERENCES";
    text += " {" + s.sourcePath + "}";
    const std::array<std::pair<const char*, const std::string*>, 6> valued{{
        {"AssocClass", &s.assocClass},
        {"ResultClass", &s.resultClass},
        {"Role", &s.role},
        {"ResultRole", &s.resultRole},
        {"RequiredQualifier", &s.requiredQualifier},
        {"RequiredAssocQualifier", &s.requiredAssocQualifier},
    }};
    for (const auto& [name, value] : valued)
        if (!value->empty()) text += std::string(" ") + name + "=" + *value;
    if (s.classDefsOnly) text += " ClassDefsOnly";
    if (s.keysOnly) text += " KeysOnly";
    if (s.schemaOnly) text += " SchemaOnly";
    return text;
}

TEST(AssociationStatement, GrammarKeywordsAndFaults) {
    norv::test::ExpectCases("association_statements.txt", [](const std::string& input) {
        const auto parsed = ParseAssociationStatement(input);
        if (const auto* error = std::get_if<WqlError>(&parsed))
            return "invalid: " + error->reason + " at " + std::to_string(error->offset);
        return StatementText(std::get<AssociationStatement>(parsed)) +
               (IsAssociationStatement(input) ? "" : " (not recognised)");
    });
}

constexpr std::uint32_t Code(RequestStatus status) {
    constexpr std::array<std::uint32_t, 8> kCodes{kWbemNoError,          kWbemInvalidQuery,
                                                  0x8004100C,            kWbemInvalidClass,
                                                  kWbemInvalidObjectPath, kWbemInvalidNamespace,
                                                  kWbemNotFound,         0x80041001};
    return kCodes[static_cast<std::size_t>(status)];
}

// The objects of a static namespace, as WMI hands out those of classes without a provider.
class RepositoryObjects final : public AssociationObjects {
public:
    RepositoryObjects(const ServedNamespaces& served, std::string nameSpace)
        : served_(served), nameSpace_(std::move(nameSpace)) {}

    ObjectsAnswer Get(const std::string& path) override {
        ++gets;
        return Answer(LookupObject(served_, nameSpace_, path), "GetObject");
    }
    ObjectsAnswer Enumerate(const std::string& className) override {
        return Answer(EnumerateInstances(served_, nameSpace_, className, {}), "enumeration");
    }
    int gets = 0;

private:
    static ObjectsAnswer Answer(RequestResult result, const char* step) {
        return ObjectsAnswer{Code(result.status), step, result.detail, std::move(result.objects)};
    }
    const ServedNamespaces& served_;
    std::string nameSpace_;
};

TEST(AssociationQuery, MatchingFiltersAndErrorsOverStaticAssociations) {
    const auto repository = std::make_shared<RepositoryClassSource>(
        testing::TestRepository("associations.mof"));
    const ServedNamespaces served(repository, "HOST");
    std::vector<std::string> classNames;
    for (const ClassDefinition* definition : repository->Classes().Classes("root\\assoc"))
        classNames.push_back(definition->name);
    norv::test::ExpectCases("association_queries.txt", [&](const std::string& input) {
        RepositoryObjects objects(served, "root\\assoc");
        const ObjectsAnswer answer =
            RunAssociationQuery(served, "root\\assoc", classNames, input, objects);
        if (answer.status != kWbemNoError)
            return std::string(NameOfStatus(answer.status)) + " " + answer.step + ": " +
                   answer.detail;
        std::string text = std::to_string(answer.objects.size()) + " (" +
                           std::to_string(objects.gets) + " gets)";
        for (const CimObject& object : answer.objects)
            text += " " + (object.GetGenus() == Genus::Class
                               ? "class " + object.Definition().name
                               : object.RelativePath().value_or("?") + "/" +
                                     std::to_string(object.PropertyCount()));
        return text;
    });
}

}  // namespace
}  // namespace norvwmi
