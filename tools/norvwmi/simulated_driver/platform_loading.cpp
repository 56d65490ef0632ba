#include "simulated_driver/platform_loading.h"

#include <algorithm>
#include <optional>

#include "repository/instance_values.h"
#include "repository/mof_reader.h"
#include "repository/name_compare.h"
#include "simulated_driver/embedded_mof.h"
#include "simulated_driver/management_log_directives.h"
#include "simulated_driver/timed_directives.h"

namespace norvwmi {

namespace {

constexpr std::string_view kClassBehaviour = "Norvwmi_ClassBehaviour";
constexpr std::string_view kAbsentClass = "Norvwmi_AbsentClass";

// The host's own files, in the order they are added; system classes come first, the served
// MOF files follow.
constexpr std::string_view kClassFiles[] = {kHealthMofName, kHostMofName};

// The class a directive names, checked to be declared; the repository's spelling.
std::variant<ClassInNamespace, MofError> NamedClass(const Repository& repository,
                                                    const InstanceDefinition& directive) {
    const std::string* nameSpace = TextOf(directive, "Namespace");
    const std::string* className = TextOf(directive, "ClassName");
    if (!nameSpace || !className)
        return ErrorAt(directive.where, directive.className + " needs Namespace and ClassName");
    const ClassDefinition* definition = repository.FindClass(*nameSpace, *className);
    if (!definition || definition->name.starts_with("__"))
        return ErrorAt(directive.where, directive.className + " names the class '" + *className +
                                            "', which " + *nameSpace + " does not declare");
    return ClassInNamespace{definition->nameSpace, definition->name};
}

std::optional<MofError> ApplyStalls(const Repository& repository, ServedNamespaces& served) {
    for (const InstanceDefinition* directive :
         repository.Instances(kDirectiveNamespace, kClassBehaviour)) {
        auto named = NamedClass(repository, *directive);
        if (auto* error = std::get_if<MofError>(&named)) return *error;
        const CimValue* stallAfter = ValueOf(*directive, "StallAfter");
        const auto* count = stallAfter ? std::get_if<std::uint64_t>(&stallAfter->data) : nullptr;
        if (!count) return ErrorAt(directive->where, directive->className + " needs StallAfter");
        const auto& target = std::get<ClassInNamespace>(named);
        served.SetStall(target.nameSpace, target.className, static_cast<std::uint32_t>(*count));
    }
    return std::nullopt;
}

std::variant<std::vector<ClassInNamespace>, MofError> AbsentClasses(const Repository& repository) {
    std::vector<ClassInNamespace> absent;
    for (const InstanceDefinition* directive :
         repository.Instances(kDirectiveNamespace, kAbsentClass)) {
        auto named = NamedClass(repository, *directive);
        if (auto* error = std::get_if<MofError>(&named)) return *error;
        auto& target = std::get<ClassInNamespace>(named);
        const auto instances = repository.Instances(target.nameSpace, target.className);
        if (!instances.empty())
            return ErrorAt(instances.front()->where, "instance of " + target.className +
                                                         ", a class the description makes "
                                                         "absent from " +
                                                         target.nameSpace);
        absent.push_back(std::move(target));
    }
    return absent;
}

std::optional<MofError> AddDescription(Repository& repository, const MofFile& description) {
    MofReadResult read = ReadMof(description.text, description.name);
    if (read.error) return read.error;
    if (!read.document.classes.empty()) {
        const ClassDefinition& declared = read.document.classes.front();
        return ErrorAt(declared.where,
                       "a platform description holds instances only, found the "
                       "declaration of class " +
                           declared.name);
    }
    return repository.Add(read.document);
}

void NoteNamespace(std::vector<std::string>& namespaces, const std::string& name) {
    const bool known = std::any_of(namespaces.begin(), namespaces.end(),
                                   [&](const std::string& seen) { return SameName(seen, name); });
    if (!known) namespaces.push_back(name);
}

// Adds a served MOF file; the namespaces it declares classes in are noted (a namespace that
// only gets an instance, such as the __Namespace that makes another, serves nothing).
std::optional<MofError> AddServed(Repository& repository, const MofFile& file,
                                  std::vector<std::string>& namespaces) {
    MofReadResult read = ReadMof(file.text, file.name);
    if (read.error) return read.error;
    if (read.document.classes.empty())
        return MofError{file.name, 1, "a served MOF file declares no class"};
    for (const ClassDefinition& definition : read.document.classes)
        NoteNamespace(namespaces, definition.nameSpace);
    return repository.Add(read.document);
}

std::variant<Repository, MofError> ReadRepository(const MofFile& description,
                                                  const std::vector<MofFile>& servedMofs,
                                                  std::vector<std::string>& servedNamespaces) {
    Repository repository;
    const std::string_view systemText = EmbeddedMofText(kSystemMofName).value();
    MofReadResult system = ReadMof(systemText, kSystemMofName);
    if (system.error) return *system.error;
    if (auto error = repository.AddSystemClasses(system.document)) return *error;
    for (std::string_view file : kClassFiles)
        if (auto error = repository.AddMof(EmbeddedMofText(file).value(), file)) return *error;
    const std::vector<MofFile> ownMof{
        MofFile{std::string(kServedMofName), std::string(EmbeddedMofText(kServedMofName).value())}};
    for (const MofFile& file : servedMofs.empty() ? ownMof : servedMofs)
        if (auto error = AddServed(repository, file, servedNamespaces)) return *error;
    if (auto error = AddDescription(repository, description)) return *error;
    return repository;
}

}  // namespace

MofFile DefaultPlatformDescription() {
    return MofFile{std::string(kDefaultPlatformName),
                   std::string(EmbeddedMofText(kDefaultPlatformName).value())};
}

std::variant<Platform, MofError> LoadPlatform(const MofFile& description, std::string serverName,
                                              std::optional<std::uint64_t> perturbSeed,
                                              const std::vector<MofFile>& servedMofs) {
    std::vector<std::string> servedNamespaces;
    auto read = ReadRepository(description, servedMofs, servedNamespaces);
    if (auto* error = std::get_if<MofError>(&read)) return *error;
    Repository& repository = std::get<Repository>(read);
    auto log = ReadManagementLog(repository);
    if (auto* error = std::get_if<MofError>(&log)) return *error;
    auto& describedLog = std::get<std::optional<DescribedLog>>(log);
    if (describedLog)
        if (auto error = AddManagementLog(repository, *describedLog)) return *error;

    auto absent = AbsentClasses(repository);
    if (auto* error = std::get_if<MofError>(&absent)) return *error;
    auto steps = ReadTimedSteps(repository);
    if (auto* error = std::get_if<MofError>(&steps)) return *error;
    auto& timedSteps = std::get<std::vector<TimedStep>>(steps);
    if (!timedSteps.empty() && perturbSeed)
        return ErrorAt(timedSteps.front().where,
                       "a description with timed directives is served without --perturb: both "
                       "would change the same data");
    Platform platform;
    platform.servedNamespaces = std::move(servedNamespaces);
    platform.classes = std::make_shared<const PlatformClassSource>(
        std::move(repository), std::move(std::get<std::vector<ClassInNamespace>>(absent)));
    std::shared_ptr<const ClassSource> served = platform.classes;
    if (perturbSeed) {
        platform.perturbation =
            std::make_shared<const PerturbedClassSource>(platform.classes, *perturbSeed);
        served = platform.perturbation;
    }
    if (!timedSteps.empty()) {
        auto timed = TimedClassSource::Make(platform.classes, std::move(timedSteps),
                                            std::move(describedLog));
        if (auto* error = std::get_if<MofError>(&timed)) return *error;
        platform.timed = std::get<std::shared_ptr<const TimedClassSource>>(std::move(timed));
        served = platform.timed;
    }
    platform.served = std::make_shared<ServedNamespaces>(std::move(served), std::move(serverName));
    if (auto error = ApplyStalls(platform.classes->Declared(), *platform.served)) return *error;
    return platform;
}

std::vector<std::string> ServedClassNames(const Platform& platform) {
    std::vector<std::string> names;
    for (const std::string& nameSpace : platform.servedNamespaces)
        for (const ClassDefinition* definition : platform.classes->Declared().Classes(nameSpace))
            // An event class has no instances to serve: its provider indicates them.
            if (definition->superclass != "__ExtrinsicEvent") names.push_back(definition->name);
    return names;
}

std::string ServedNamespaceOf(const Platform& platform, std::string_view className) {
    for (const std::string& nameSpace : platform.servedNamespaces)
        for (const ClassDefinition* definition : platform.classes->Declared().Classes(nameSpace))
            if (SameName(definition->name, className)) return nameSpace;
    return platform.servedNamespaces.empty() ? std::string(kServedNamespace)
                                             : platform.servedNamespaces.front();
}

}  // namespace norvwmi
