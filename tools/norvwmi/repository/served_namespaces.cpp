#include "repository/served_namespaces.h"

#include <algorithm>
#include <array>
#include <utility>

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

constexpr bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Server names that mean this computer, besides its own name.
constexpr std::array<std::string_view, 3> kLocalServerNames{".", "localhost", "127.0.0.1"};

// Longer chains than this are a cycle in the source's superclass names.
constexpr std::size_t kMaximumDepth = 64;

}  // namespace

ServedNamespaces::ServedNamespaces(std::shared_ptr<const ClassSource> classes,
                                   std::string serverName)
    : classes_(std::move(classes)), serverName_(std::move(serverName)) {}

std::optional<std::string> ServedNamespaces::ResolveNamespace(std::string_view requested) const {
    if (requested.size() >= 2 && IsSeparator(requested[0]) && IsSeparator(requested[1])) {
        requested.remove_prefix(2);
        const auto end = std::find_if(requested.begin(), requested.end(), IsSeparator);
        const std::string_view server(requested.data(),
                                      static_cast<std::size_t>(end - requested.begin()));
        const bool local =
            SameName(server, serverName_) ||
            std::any_of(kLocalServerNames.begin(), kLocalServerNames.end(),
                        [&](std::string_view name) { return SameName(server, name); });
        if (!local || end == requested.end()) return std::nullopt;
        requested.remove_prefix(server.size() + 1);
    }
    std::string nameSpace(requested);
    std::replace(nameSpace.begin(), nameSpace.end(), '/', '\\');
    if (nameSpace.empty()) return std::nullopt;
    return classes_->FindNamespace(nameSpace);
}

std::optional<ClassLineage> ServedNamespaces::Lineage(std::string_view nameSpace,
                                                      std::string_view className) const {
    // The definitions share ownership of the source, so objects may outlive this host.
    auto shared = [this](const ClassDefinition* definition) {
        return std::shared_ptr<const ClassDefinition>(classes_, definition);
    };
    const ClassDefinition* definition = classes_->FindClass(nameSpace, className);
    if (!definition) return std::nullopt;
    ClassLineage lineage;
    lineage.definition = shared(definition);
    std::string_view superclass = definition->superclass;
    while (!superclass.empty() && lineage.ancestors.size() < kMaximumDepth) {
        const ClassDefinition* ancestor = classes_->FindClass(nameSpace, superclass);
        if (!ancestor) break;
        superclass = ancestor->superclass;
        lineage.ancestors.push_back(shared(ancestor));
    }
    return lineage;
}

void ServedNamespaces::SetStall(std::string_view nameSpace, std::string_view className,
                                std::uint32_t afterCount) {
    std::lock_guard lock(stallsMutex_);
    for (Stall& stall : stalls_) {
        if (SameName(stall.nameSpace, nameSpace) && SameName(stall.className, className)) {
            stall.afterCount = afterCount;
            return;
        }
    }
    stalls_.push_back(Stall{std::string(nameSpace), std::string(className), afterCount});
}

void ServedNamespaces::ClearStall(std::string_view nameSpace, std::string_view className) {
    std::lock_guard lock(stallsMutex_);
    std::erase_if(stalls_, [&](const Stall& stall) {
        return SameName(stall.nameSpace, nameSpace) && SameName(stall.className, className);
    });
}

std::optional<std::uint32_t> ServedNamespaces::StallAfter(std::string_view nameSpace,
                                                          std::string_view className) const {
    std::lock_guard lock(stallsMutex_);
    for (const Stall& stall : stalls_)
        if (SameName(stall.nameSpace, nameSpace) && SameName(stall.className, className))
            return stall.afterCount;
    return std::nullopt;
}

void ServedNamespaces::RecordNext(const NextRequest& request) const {
    std::lock_guard lock(nextMutex_);
    if (nextRequests_.size() == kNextRequestsKept) nextRequests_.erase(nextRequests_.begin());
    nextRequests_.push_back(request);
}

std::vector<ServedNamespaces::NextRequest> ServedNamespaces::TakeNextRequests() const {
    std::lock_guard lock(nextMutex_);
    return std::exchange(nextRequests_, {});
}

}  // namespace norvwmi
