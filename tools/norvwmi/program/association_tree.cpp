#include "program/association_tree.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "program/object_names.h"
#include "program/table_layout.h"
#include "repository/name_compare.h"
#include "repository/object_path.h"
#include "repository/object_path_match.h"

namespace norvwmi {

namespace {

// One association class and its two roles, the near end first.
struct Link {
    std::string_view className;
    std::string_view nearRole;
    std::string_view farRole;
};

constexpr Link kDomain{"SystemComponent", "PartComponent", "GroupComponent"};
constexpr Link kDevices{"SystemDevice", "GroupComponent", "PartComponent"};
constexpr Link kCollection{"HostedCollection", "Antecedent", "Dependent"};
constexpr Link kMembers{"MemberOfCollection", "Collection", "Member"};
constexpr Link kLog{"UseOfLog", "Dependent", "Antecedent"};
constexpr Link kRecords{"LogManagesRecord", "Log", "Record"};
constexpr Link kRecordSensor{"RecordAppliesToElement", "Antecedent", "Dependent"};

constexpr std::string_view kController = "ComputerSystem";

std::optional<ObjectPath> PathIn(const CimObject& object, std::string_view property) {
    const auto index = object.Find(property);
    if (!index) return std::nullopt;
    const auto* text = std::get_if<std::string>(&object.ValueAt(*index).data);
    return text != nullptr ? ParseObjectPath(*text) : std::nullopt;
}

std::string PathText(const ObjectPath& path) {
    return FormatRelativePath(path.className, path.keys, path.singleton);
}

class Graph {
public:
    Graph(std::span<const CimObject> served, std::span<const CimObject> links)
        : names_(served), links_(links) {}

    // The far ends of `link`'s instances whose near end is `near`.
    std::vector<ObjectPath> FarEnds(const Link& link, const ObjectPath& near) const {
        std::vector<ObjectPath> ends;
        for (const CimObject& object : links_) {
            if (!SameName(object.Definition().name, link.className)) continue;
            const auto nearEnd = PathIn(object, link.nearRole);
            auto farEnd = PathIn(object, link.farRole);
            if (nearEnd && farEnd && SameObject(*nearEnd, near)) ends.push_back(std::move(*farEnd));
        }
        return ends;
    }

    // How many instances of `link` there are whose near end is one of `nears`.
    std::size_t CountFrom(const Link& link, const std::vector<ObjectPath>& nears) const {
        std::size_t count = 0;
        for (const ObjectPath& near : nears) count += FarEnds(link, near).size();
        return count;
    }

    std::string Name(const ObjectPath& path) const { return names_.NameOf(PathText(path)); }

private:
    ObjectNames names_;
    std::span<const CimObject> links_;
};

// "40 Sensor, 7 NumericSensor": the ends counted by class, in the order first seen.
std::string CountedByClass(const std::vector<ObjectPath>& ends) {
    std::vector<std::pair<std::string, std::size_t>> counts;
    for (const ObjectPath& end : ends) {
        auto found = std::find_if(counts.begin(), counts.end(),
                                  [&](const auto& entry) { return SameName(entry.first, end.className); });
        if (found == counts.end()) {
            counts.emplace_back(end.className, 1);
        } else {
            ++found->second;
        }
    }
    std::string text;
    for (const auto& [className, count] : counts)
        text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + className;
    return text.empty() ? "none" : text;
}

// The tree's lines: the text after the branches, and the association class that makes it.
class TreeText {
public:
    void Root(std::string text) { rows_.push_back({std::move(text), {}}); }

    // A line at `depth` (1 under the root); `last` whether no sibling follows it.
    void Branch(std::size_t depth, bool last, std::string text, std::string_view className) {
        open_.resize(depth);  // open_[k]: a sibling follows the last line at depth k + 1
        std::string line;
        for (std::size_t level = 0; level + 1 < depth; ++level) line += open_[level] ? "│   " : "    ";
        line += last ? "└── " : "├── ";
        open_[depth - 1] = !last;
        rows_.push_back({line + text, std::string(className)});
    }

    std::string Text() const {
        constexpr TableColumn kColumns[] = {{"Graph", Align::Left, 0}, {"Association", Align::Left, 0}};
        return LayOutTable(kColumns, rows_);
    }

private:
    std::vector<TableRow> rows_;
    std::vector<bool> open_;
};

}  // namespace

std::string AssociationTree(std::span<const CimObject> served, std::span<const CimObject> links) {
    const Graph graph(served, links);
    std::string text;
    for (const CimObject& controller : served) {
        if (!SameName(controller.Definition().name, kController)) continue;
        const auto path = ParseObjectPath(controller.RelativePath().value_or(""));
        if (!path) continue;
        TreeText tree;
        tree.Root(DisplayName(controller) + " (" + controller.Definition().name + ")");
        for (const ObjectPath& domain : graph.FarEnds(kDomain, *path))
            tree.Branch(1, false, "domain: " + graph.Name(domain), kDomain.className);
        tree.Branch(1, false, "devices: " + CountedByClass(graph.FarEnds(kDevices, *path)),
                    kDevices.className);
        for (const ObjectPath& collection : graph.FarEnds(kCollection, *path)) {
            tree.Branch(1, false, "collection: " + graph.Name(collection), kCollection.className);
            tree.Branch(2, true, "members: " + CountedByClass(graph.FarEnds(kMembers, collection)),
                        kMembers.className);
        }
        const std::vector<ObjectPath> logs = graph.FarEnds(kLog, *path);
        for (std::size_t i = 0; i < logs.size(); ++i) {
            tree.Branch(1, i + 1 == logs.size(), "log: " + graph.Name(logs[i]), kLog.className);
            const std::vector<ObjectPath> records = graph.FarEnds(kRecords, logs[i]);
            tree.Branch(2, true, "records: " + std::to_string(records.size()), kRecords.className);
            tree.Branch(3, true,
                        "linked to a sensor: " + std::to_string(graph.CountFrom(kRecordSensor, records)) +
                            " of " + std::to_string(records.size()),
                        kRecordSensor.className);
        }
        text += (text.empty() ? "" : "\n") + tree.Text();
    }
    return text;
}

}  // namespace norvwmi
