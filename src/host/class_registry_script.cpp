#include "host/class_registry_script.h"

#include <string>
#include <utility>

namespace norv {
namespace {

// HKCR
// {
//     %ProgID% = s '%FriendlyName%' { CLSID = s '%CLSID%' }
//     %VIProgID% = s '%FriendlyName%' { CLSID = s '%CLSID%'  CurVer = s '%ProgID%' }
//     NoRemove CLSID
//     {
//         ForceRemove %CLSID% = s '%FriendlyName%'
//         {
//             ProgID = s '%ProgID%'
//             VersionIndependentProgID = s '%VIProgID%'
//             ForceRemove Programmable
//             %MODULETYPE% = s '%Module%' { val ThreadingModel = s 'both' }
//             val AppID = s '%APPID%'
//             TypeLib = s '%MODULEGUID%'
//         }
//     }
// }
constexpr RegistryNode kProgIdBlock[] = {
    Key("CLSID", "%CLSID%"),
};
constexpr RegistryNode kVersionIndependentProgIdBlock[] = {
    Key("CLSID", "%CLSID%"),
    Key("CurVer", "%ProgID%"),
};
constexpr RegistryNode kServerBlock[] = {
    StringValue("ThreadingModel", kThreadingModel),
};
constexpr RegistryNode kClassIdBlock[] = {
    Key("ProgID", "%ProgID%"),
    Key("VersionIndependentProgID", "%VIProgID%"),
    ForceRemoveKey("Programmable", std::nullopt),
    Key("%MODULETYPE%", "%Module%", kServerBlock),
    StringValue("AppID", "%APPID%"),
    Key("TypeLib", "%MODULEGUID%"),
};
constexpr RegistryNode kClsidBlock[] = {
    ForceRemoveKey("%CLSID%", "%FriendlyName%", kClassIdBlock),
};
constexpr RegistryNode kClassScript[] = {
    Key("%ProgID%", "%FriendlyName%", kProgIdBlock),
    Key("%VIProgID%", "%FriendlyName%", kVersionIndependentProgIdBlock),
    NoRemoveKey("CLSID", kClsidBlock),
};

}  // namespace

std::span<const RegistryNode> ClassRegistryScript() noexcept {
    return kClassScript;
}

Replacements ModuleReplacements(std::string_view modulePath, bool moduleIsExecutable) {
    return {
        {"Module", std::string(modulePath)},
        {"Module_Raw", std::string(modulePath)},
        {"MODULEGUID", std::string(kTypeLibraryId)},
        {"MODULETYPE", std::string(moduleIsExecutable ? kLocalServerKey : kInprocServerKey)},
        {"APPID", std::string()},
    };
}

Replacements ClassReplacements(const ProviderClassIdentity& identity,
                               Replacements moduleReplacements) {
    Replacements replacements = std::move(moduleReplacements);
    replacements.push_back({"FriendlyName", std::string(identity.friendlyName)});
    replacements.push_back({"ProgID", std::string(identity.progId)});
    replacements.push_back({"VIProgID", std::string(VersionIndependentProgId(identity.progId))});
    replacements.push_back({"CLSID", std::string(identity.clsid)});
    return replacements;
}

std::optional<std::vector<RegistryOperation>> PlanClassRegistry(
    const ProviderClassIdentity& identity, std::string_view modulePath, bool moduleIsExecutable,
    RegistryMode mode) {
    return PlanRegistryOperations(
        ClassRegistryScript(), mode,
        ClassReplacements(identity, ModuleReplacements(modulePath, moduleIsExecutable)));
}

}  // namespace norv
