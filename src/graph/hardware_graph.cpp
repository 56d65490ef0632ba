#include "graph/hardware_graph.h"

#include <optional>

#include "eventlog/log_columns.h"
#include "eventlog/sensor_search.h"
#include "host/provider_class_identity.h"
#include "host/reference_path.h"
#include "sensors/sensor_columns.h"
#include "system/admin_domain_data.h"
#include "system/computer_system_data.h"
#include "system/sensor_collection_data.h"
#include "system/system_columns.h"

namespace norv {
namespace {

// Appends the path of every present entry and returns, per entry, its index in `paths`.
template <typename Entry, std::size_t Size>
std::vector<std::size_t> AddPresent(std::vector<std::string>& paths, std::string_view className,
                                    const std::array<Column<Entry>, Size>& columns,
                                    std::span<const Entry> entries) {
    std::vector<std::size_t> indexOf(entries.size(), kNoSensor);
    for (std::size_t at = 0; at < entries.size(); ++at) {
        if (entries[at].present == 0) continue;
        indexOf[at] = paths.size();
        paths.push_back(ReferencePathOf(className, columns, entries[at]));
    }
    return indexOf;
}

std::size_t LinkedSensor(const GraphEnds& ends, const SensorSearch& search,
                         const SensorInventory& inventory, const SelEntry& entry) {
    const SensorRecord* record = search.Find(entry.sensorKind, entry.key1, entry.key2);
    if (record == nullptr || record->SensorNumber() != entry.sensorNumber ||
        record->OwnerLun() != entry.ownerLun || record->OwnerId() != entry.ownerId) {
        return kNoSensor;
    }
    const auto index = static_cast<std::size_t>(record - &inventory.At(0));
    return index < ends.sensorOfInventoryRecord.size() ? ends.sensorOfInventoryRecord[index]
                                                       : kNoSensor;
}

template <auto Member>
ColumnValue Reference(const AssociationData& data) {
    return std::string_view(data.*Member);
}

const std::string& OneEnd(const GraphEnds& ends, GraphEnd end) {
    switch (end) {
        case GraphEnd::Controller:
            return ends.controller;
        case GraphEnd::Domain:
            return ends.domain;
        case GraphEnd::Collection:
            return ends.collection;
        default:
            return ends.log;
    }
}

}  // namespace

void AddSystemEnds(GraphEnds& ends, const ManagementControllerRecord& controller) {
    ends.controller =
        ReferencePathOf(IdentityOf("NorvComputerSystemProv").servedClass, kComputerSystemColumns,
                        MakeComputerSystemData(controller, std::nullopt));
    ends.domain = ReferencePathOf(IdentityOf("NorvAdminDomainProv").servedClass,
                                  kAdminDomainColumns, MakeAdminDomainData());
    ends.collection =
        ReferencePathOf(IdentityOf("NorvSystemSpecificCollectionProv").servedClass,
                        kSensorCollectionColumns, MakeSensorCollectionData(controller));
}

void AddSensorEnds(GraphEnds& ends, const SensorInventory& inventory,
                   std::span<const SensorInstanceData> sensors,
                   std::span<const NumericSensorInstanceData> numericSensors) {
    const std::vector<std::size_t> discrete =
        AddPresent(ends.sensors, IdentityOf("NorvSensorProv").servedClass, kSensorColumns, sensors);
    const std::vector<std::size_t> numeric =
        AddPresent(ends.sensors, IdentityOf("NorvNumericSensorProv").servedClass,
                   kNumericSensorColumns, numericSensors);
    ends.sensorOfInventoryRecord.assign(inventory.Count(), kNoSensor);
    std::size_t nextDiscrete = 0;
    std::size_t nextNumeric = 0;
    for (std::size_t index = 0; index < inventory.Count(); ++index) {
        const bool hasReading = inventory.At(index).HasField(kFieldCurrentReading);
        const std::vector<std::size_t>& list = hasReading ? numeric : discrete;
        std::size_t& next = hasReading ? nextNumeric : nextDiscrete;
        if (next < list.size()) ends.sensorOfInventoryRecord[index] = list[next];
        ++next;
    }
}

void AddLogEnds(GraphEnds& ends, const RecordLogData& log, std::span<const LogRecordData> records,
                std::span<const SelEntry> entries, const SensorInventory* inventory) {
    ends.log = ReferencePathOf(IdentityOf("NorvRecordLogProv").servedClass, kRecordLogColumns, log);
    ends.records.reserve(records.size());
    for (const LogRecordData& record : records) {
        ends.records.push_back(ReferencePathOf(IdentityOf("NorvLogRecordProv").servedClass,
                                               kLogRecordColumns, record));
    }
    ends.recordSensor.assign(records.size(), kNoSensor);
    if (inventory == nullptr || inventory->Count() == 0) return;
    const SensorSearch search(*inventory);
    for (std::size_t at = 0; at < records.size() && at < entries.size(); ++at) {
        ends.recordSensor[at] = LinkedSensor(ends, search, *inventory, entries[at]);
    }
}

void AddSnapshotEnds(GraphEnds& ends, const CacheSnapshot& snapshot) {
    if (snapshot.sensors && snapshot.inventory) {
        AddSensorEnds(ends, *snapshot.inventory, snapshot.sensors->sensors.Entries(),
                      snapshot.sensors->numericSensors.Entries());
    }
    if (snapshot.log) {
        const LogContents& log = *snapshot.log;
        AddLogEnds(ends, log.logData, log.records, log.entries, snapshot.inventory.get());
    }
}

std::array<Column<AssociationData>, 2> AssociationColumns(const AssociationClass& association) {
    return {{
        {association.firstRole, CimType::Reference, kKey, nullptr,
         Reference<&AssociationData::first>},
        {association.secondRole, CimType::Reference, kKey, nullptr,
         Reference<&AssociationData::second>},
    }};
}

namespace {

// Calls visit(first, second) for every instance of the class, in the order of their ends.
template <typename Visit>
void VisitAssociations(const AssociationClass& association, const GraphEnds& ends, Visit&& visit) {
    if (association.first == GraphEnd::EachRecord && association.second == GraphEnd::RecordSensor) {
        for (std::size_t at = 0; at < ends.records.size(); ++at) {
            const std::size_t sensor = at < ends.recordSensor.size() ? ends.recordSensor[at] : kNoSensor;
            if (sensor < ends.sensors.size()) visit(ends.records[at], ends.sensors[sensor]);
        }
        return;
    }
    const auto each = [&](GraphEnd end) -> const std::vector<std::string>* {
        if (end == GraphEnd::EachSensor) return &ends.sensors;
        if (end == GraphEnd::EachRecord) return &ends.records;
        return nullptr;
    };
    if (const auto* many = each(association.second)) {
        const std::string& one = OneEnd(ends, association.first);
        for (const std::string& other : *many) visit(one, other);
    } else {
        visit(OneEnd(ends, association.first), OneEnd(ends, association.second));
    }
}

std::size_t CountOf(const AssociationClass& association, const GraphEnds& ends) {
    std::size_t count = 0;
    VisitAssociations(association, ends, [&](const std::string&, const std::string&) { ++count; });
    return count;
}

}  // namespace

std::vector<AssociationData> AssociationsOf(const AssociationClass& association,
                                            const GraphEnds& ends) {
    std::vector<AssociationData> instances;
    instances.reserve(CountOf(association, ends));
    VisitAssociations(association, ends, [&](const std::string& first, const std::string& second) {
        instances.push_back({first, second});
    });
    return instances;
}

std::vector<AssociationData> AssociationsNaming(
    const AssociationClass& association, const GraphEnds& ends,
    const std::function<bool(std::size_t role, const std::string& path)>& names) {
    // An end shared by many instances (the log, the controller) is the same string each
    // time, so the last answer is kept per role.
    struct Asked {
        const std::string* end = nullptr;
        bool named = false;
    };
    std::array<Asked, 2> last;
    const auto named = [&](std::size_t role, const std::string& end) {
        if (last[role].end != &end) last[role] = {&end, names(role, end)};
        return last[role].named;
    };
    std::vector<AssociationData> instances;
    VisitAssociations(association, ends, [&](const std::string& first, const std::string& second) {
        if (named(0, first) || named(1, second)) instances.push_back({first, second});
    });
    return instances;
}

}  // namespace norv
