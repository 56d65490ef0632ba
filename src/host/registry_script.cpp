#include "host/registry_script.h"

#include <algorithm>

namespace norv {
namespace {

constexpr char kPercent = '%';
constexpr char kKeySeparator = '\\';

char AsciiLower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

const Replacement* FindReplacement(std::string_view name, const Replacements& replacements) {
    const auto found = std::ranges::find_if(replacements, [name](const Replacement& r) {
        return EqualsIgnoringAsciiCase(r.name, name);
    });
    return found == replacements.end() ? nullptr : &*found;
}

std::string JoinKeyPath(std::string_view parent, std::string_view name) {
    if (parent.empty()) return std::string(name);
    std::string path;
    path.reserve(parent.size() + 1 + name.size());
    path.append(parent).append(1, kKeySeparator).append(name);
    return path;
}

class Planner {
public:
    Planner(RegistryMode mode, const Replacements& replacements)
        : mode_(mode), replacements_(replacements) {}

    bool PlanBlock(std::span<const RegistryNode> nodes, const std::string& parentPath) {
        return std::ranges::all_of(
            nodes, [&](const RegistryNode& node) { return PlanNode(node, parentPath); });
    }

    std::vector<RegistryOperation> Take() { return std::move(operations_); }

private:
    bool PlanNode(const RegistryNode& node, const std::string& parentPath) {
        const auto name = ExpandReplacements(node.name, replacements_);
        if (!name) return false;
        std::optional<std::string> text;
        if (node.text) {
            text = ExpandReplacements(*node.text, replacements_);
            if (!text) return false;
        }
        if (node.kind == RegistryNodeKind::Value) {
            if (mode_ == RegistryMode::Register) {
                Add(RegistryAction::SetValue, parentPath, *name, text.value_or(std::string()));
            } else {
                Add(RegistryAction::DeleteValue, parentPath, *name);
            }
            return true;
        }
        const std::string path = JoinKeyPath(parentPath, *name);
        if (mode_ == RegistryMode::Register) {
            if (node.removal == RemovalRule::ForceRemove) Add(RegistryAction::DeleteTree, path);
            Add(RegistryAction::CreateKey, path);
            if (text) Add(RegistryAction::SetValue, path, {}, std::move(*text));
            return PlanBlock(node.children, path);
        }
        if (!PlanBlock(node.children, path)) return false;
        switch (node.removal) {
            case RemovalRule::Normal:
                Add(RegistryAction::DeleteKey, path);
                break;
            case RemovalRule::ForceRemove:
                Add(RegistryAction::DeleteTree, path);
                break;
            case RemovalRule::NoRemove:
                break;
        }
        return true;
    }

    void Add(RegistryAction action, const std::string& path, std::string valueName = {},
             std::string data = {}) {
        operations_.push_back({action, path, std::move(valueName), std::move(data)});
    }

    RegistryMode mode_;
    const Replacements& replacements_;
    std::vector<RegistryOperation> operations_;
};

}  // namespace

std::optional<std::string> ExpandReplacements(std::string_view text,
                                              const Replacements& replacements) {
    std::string expanded;
    expanded.reserve(text.size());
    while (!text.empty()) {
        const std::size_t open = text.find(kPercent);
        expanded.append(text.substr(0, open));
        if (open == std::string_view::npos) break;
        const std::size_t close = text.find(kPercent, open + 1);
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name.empty()) {
            expanded.push_back(kPercent);
        } else {
            const Replacement* replacement = FindReplacement(name, replacements);
            if (!replacement) return std::nullopt;
            expanded.append(replacement->value);
        }
        text.remove_prefix(close + 1);
    }
    return expanded;
}

std::optional<std::vector<RegistryOperation>> PlanRegistryOperations(
    std::span<const RegistryNode> script, RegistryMode mode, const Replacements& replacements) {
    Planner planner(mode, replacements);
    if (!planner.PlanBlock(script, std::string())) return std::nullopt;
    return planner.Take();
}

}  // namespace norv
