// The class repository: classes and static instances per namespace, built from MOF
// documents and checked as WMI checks what mofcomp stores. Namespace, class, property
// and alias names compare without regard to case.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "repository/cim_class_definition.h"
#include "repository/mof_error.h"
#include "repository/mof_reader.h"

namespace norvwmi {

class Repository {
public:
    // Makes the classes of a document known in every namespace, as WMI's system classes
    // are (__Win32Provider, __InstanceProviderRegistration, ...; tools/norvwmi/system.mof).
    // Their names start with "__"; the document holds no instances.
    std::optional<MofError> AddSystemClasses(const MofDocument& document);

    // Adds a document's classes, then its instances. A class's superclass must be
    // declared (earlier in this document or before it); a class is declared once, and
    // names starting with "__" are left to the system classes. Each instance value must
    // suit its property's type and is kept normalised to it (value_normalisation.h); an
    // alias reference ($Name, defined earlier in the same document) becomes the aliased
    // instance's relative path (`Class.Key="value"`). Two instances of a class with the
    // same keys are an error. On error nothing of the document is added.
    std::optional<MofError> Add(const MofDocument& document);
    // Reads and adds MOF text.
    std::optional<MofError> AddMof(std::string_view text, std::string_view fileName);

    // A declared class of the namespace or a system class; null when there is none.
    // The class holds its inherited properties and methods first, in declaration order.
    const ClassDefinition* FindClass(std::string_view nameSpace, std::string_view className) const;
    // The declared classes of a namespace (no system classes), in declaration order.
    std::vector<const ClassDefinition*> Classes(std::string_view nameSpace) const;
    // The instances of a class in declaration order; `deep` adds those of its subclasses.
    std::vector<const InstanceDefinition*> Instances(std::string_view nameSpace,
                                                     std::string_view className,
                                                     bool deep = false) const;
    // Namespaces that hold a declared class or an instance, in the order first seen.
    std::vector<std::string> Namespaces() const;
    std::vector<const ClassDefinition*> SystemClasses() const;

    // Whether `className` is `ancestor` or derives from it.
    bool IsDerivedFrom(std::string_view nameSpace, std::string_view className,
                       std::string_view ancestor) const;

private:
    class Loader;

    struct Namespace {
        std::string name;
        std::deque<ClassDefinition> classes;  // a deque keeps handed-out pointers valid
        std::deque<InstanceDefinition> instances;
        // Where the instance of each relative path was declared; paths in lower case, as
        // WMI compares string keys without regard to case.
        std::unordered_map<std::string, SourceLocation> instancePaths;
    };

    const Namespace* FindNamespace(std::string_view name) const;
    Namespace& NamespaceFor(std::string_view name);

    std::deque<Namespace> namespaces_;
    std::deque<ClassDefinition> systemClasses_;
};

}  // namespace norvwmi
