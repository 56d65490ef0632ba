// Building what the host serves from its MOF files and one platform description:
// WMI's system classes, the health driver's classes (tools/norvwmi/health.mof), the host's
// directive classes (host.mof), the served classes with their provider registrations
// (mof/Norvipmiprv.mof, or the MOF files of another provider) and the description's
// instances. The description's directives
// are then applied: Norvwmi_LogEvent and Norvwmi_LogArea make the management log's KronInfo
// instance, Norvwmi_ClassBehaviour makes a class's enumerations stall, Norvwmi_AbsentClass
// removes a class; the timed directives make a platform that a watch moves on second by
// second (docs/platform-descriptions.md).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "repository/mof_error.h"
#include "repository/served_namespaces.h"
#include "simulated_driver/platform_class_source.h"
#include "simulated_driver/platform_perturbation.h"
#include "simulated_driver/timed_platform.h"

namespace norvwmi {

// The namespace of the module's own classes, and that of the host's directives.
inline constexpr std::string_view kServedNamespace = "root\\cimv2\\ipmi";
inline constexpr std::string_view kDirectiveNamespace = "root\\norvwmi";

struct MofFile {
    std::string name;  // as reading errors name it
    std::string text;
};

struct Platform {
    std::shared_ptr<const PlatformClassSource> classes;
    std::shared_ptr<ServedNamespaces> served;
    // Set when the health data changes while the host runs (--perturb); `served` then
    // serves through it.
    std::shared_ptr<const PerturbedClassSource> perturbation;
    // Set when the description has timed directives; `served` then serves through it.
    std::shared_ptr<const TimedClassSource> timed;
    // The namespaces the served MOF files declare classes in, in the order first seen (for
    // the module's own MOF, root\cimv2\ipmi).
    std::vector<std::string> servedNamespaces;
};

// The description compiled into the host (platforms/default.mof).
MofFile DefaultPlatformDescription();

// The first fault of any file, or of the description's content: a description holds
// instances only; a directive names a declared class and gives every value it needs; an
// absent class has no instances.
// With a seed the health data changes from query to query (platform_perturbation.h); a
// description with timed directives cannot have one, as both would change the same data.
// `servedMofs` are the provider's MOF files, read in order after the host's own; none means
// the module's own (the embedded mof/Norvipmiprv.mof).
std::variant<Platform, MofError> LoadPlatform(const MofFile& description, std::string serverName,
                                              std::optional<std::uint64_t> perturbSeed = {},
                                              const std::vector<MofFile>& servedMofs = {});

// The classes the provider serves, in declaration order, namespace by namespace.
std::vector<std::string> ServedClassNames(const Platform& platform);

// The served namespace that declares the class (the first, when several do), else the first
// served namespace, whose answer then is that it has no such class.
std::string ServedNamespaceOf(const Platform& platform, std::string_view className);

}  // namespace norvwmi
