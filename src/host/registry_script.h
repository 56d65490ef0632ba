// A registrar script as data: a tree of keys and values below one root key, with
// "NoRemove" and "ForceRemove" marks and %Variable% replacements, and the plan of registry
// operations that registering or unregistering it comes down to. The plan is applied by
// registry_writer (Windows); everything here is plain text.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norv {

enum class RegistryNodeKind : std::uint8_t { Key, Value };

// What unregistering does to a key: Normal keys are deleted once their block is done,
// NoRemove keys stay, ForceRemove keys go with their whole subtree. ForceRemove also makes
// registering delete the subtree before creating the key anew.
enum class RemovalRule : std::uint8_t { Normal, NoRemove, ForceRemove };

struct RegistryNode {
    RegistryNodeKind kind = RegistryNodeKind::Key;
    RemovalRule removal = RemovalRule::Normal;
    std::string_view name;
    // A key's default value or a value's data; a key without one gets no default value.
    std::optional<std::string_view> text;
    std::span<const RegistryNode> children;
};

constexpr RegistryNode Key(std::string_view name, std::optional<std::string_view> defaultValue,
                           std::span<const RegistryNode> children = {}) noexcept {
    return {RegistryNodeKind::Key, RemovalRule::Normal, name, defaultValue, children};
}
constexpr RegistryNode NoRemoveKey(std::string_view name,
                                   std::span<const RegistryNode> children) noexcept {
    return {RegistryNodeKind::Key, RemovalRule::NoRemove, name, std::nullopt, children};
}
constexpr RegistryNode ForceRemoveKey(std::string_view name,
                                      std::optional<std::string_view> defaultValue,
                                      std::span<const RegistryNode> children = {}) noexcept {
    return {RegistryNodeKind::Key, RemovalRule::ForceRemove, name, defaultValue, children};
}
// A named string value of the enclosing key ("val Name = s 'text'").
constexpr RegistryNode StringValue(std::string_view name, std::string_view data) noexcept {
    return {RegistryNodeKind::Value, RemovalRule::Normal, name, data, {}};
}

struct Replacement {
    std::string name;
    std::string value;
};
using Replacements = std::vector<Replacement>;

// Substitutes every %Name% of `text` by its value (names compare without regard to ASCII
// case, as the registrar does); "%%" is one percent sign. Nullopt when a name is unknown or
// a percent sign is left open.
std::optional<std::string> ExpandReplacements(std::string_view text,
                                              const Replacements& replacements);

enum class RegistryMode : std::uint8_t { Register, Unregister };

enum class RegistryAction : std::uint8_t {
    CreateKey,    // create, or open if it exists
    DeleteTree,   // the key and everything below it; absent is fine
    DeleteKey,    // the key with its values, if no subkey is left below it; absent is fine
    SetValue,     // a string value (empty name: the key's default value)
    DeleteValue,  // absent is fine
};

struct RegistryOperation {
    RegistryAction action = RegistryAction::CreateKey;
    std::string keyPath;    // below the script's root key, parts joined by '\'
    std::string valueName;  // SetValue and DeleteValue
    std::string data;       // SetValue

    friend bool operator==(const RegistryOperation&, const RegistryOperation&) = default;
};

// The operations, in order, that register or unregister `script`. Registering creates each
// key (a ForceRemove key is first deleted with its subtree) and writes its values in script
// order. Unregistering walks the same order, deletes the values, and deletes each key after
// its own block unless it is NoRemove. Nullopt when a replacement cannot be expanded.
std::optional<std::vector<RegistryOperation>> PlanRegistryOperations(
    std::span<const RegistryNode> script, RegistryMode mode, const Replacements& replacements);

}  // namespace norv
