// The served classes as rows: every table against the class the shipped MOF declares (each
// column a property of the class, of the CIM type the column writes, the key columns exactly
// the class's keys), and a lookup's match read off the key columns.
#include "host/instance_columns.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "alerts/health_condition_columns.h"
#include "eventlog/log_columns.h"
#include "graph/hardware_graph.h"
#include "host/provider_class_identity.h"
#include "sensors/sensor_columns.h"
#include "system/system_columns.h"

namespace norv {
namespace {

struct MofProperty {
    std::string type;  // as declared, "[]" appended for an array
    bool key = false;
};
using MofClass = std::map<std::string, MofProperty>;

// The classes of the shipped MOF with their properties: enough of the format for our own file
// (a qualifier list in brackets, then "TYPE NAME;" or "TYPE NAME[];").
std::string ShippedMof() {
    std::ifstream in(std::string(NORV_TEST_DATA_DIR) + "/../../mof/Norvipmiprv.mof");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<std::string, MofClass> ShippedClasses() {
    const std::string mof = ShippedMof();
    std::map<std::string, MofClass> classes;
    const std::regex classHead(R"(\nclass (\w+)[^{]*\{)");
    const std::regex property(R"((\[[^\]]*\])?\s*(\w+(?: ref)?) (\w+)(\[\])?\s*;)");
    for (auto head = std::sregex_iterator(mof.begin(), mof.end(), classHead);
         head != std::sregex_iterator(); ++head) {
        const std::size_t bodyStart = static_cast<std::size_t>(head->position() + head->length());
        const std::string body = mof.substr(bodyStart, mof.find("\n};", bodyStart) - bodyStart);
        MofClass& properties = classes[(*head)[1]];
        for (auto match = std::sregex_iterator(body.begin(), body.end(), property);
             match != std::sregex_iterator(); ++match) {
            const std::string qualifiers = (*match)[1];
            properties[(*match)[3]] = {std::string((*match)[2]) + std::string((*match)[4]),
                                       qualifiers.starts_with("[key")};
        }
    }
    return classes;
}

// The MOF types a column's CIM type is written to; a reference is any "CLASS ref".
bool DeclaredAs(CimType type, const std::string& mofType) {
    static const std::map<CimType, std::set<std::string>> kTypes = {
        {CimType::String, {"string", "datetime"}}, {CimType::StringArray, {"string[]"}},
        {CimType::UInt16, {"uint16"}},             {CimType::UInt16Array, {"uint16[]"}},
        {CimType::UInt32, {"uint32"}},             {CimType::SInt32, {"sint32"}},
        {CimType::Boolean, {"boolean"}},           {CimType::UInt64, {"uint64"}}};
    if (type == CimType::Reference) return mofType.ends_with(" ref");
    return kTypes.at(type).contains(mofType);
}

template <typename Data, std::size_t Size>
void ExpectTableIsTheClass(const std::map<std::string, MofClass>& classes, const char* className,
                           const std::array<Column<Data>, Size>& columns) {
    SCOPED_TRACE(className);
    ASSERT_TRUE(classes.contains(className));
    const MofClass& declared = classes.at(className);
    const Data data{};
    std::size_t keys = 0;
    for (const Column<Data>& column : columns) {
        const std::string name = NarrowName(column.name);
        SCOPED_TRACE(name);
        ASSERT_TRUE(declared.contains(name)) << "not a property of the class";
        EXPECT_TRUE(DeclaredAs(column.type, declared.at(name).type)) << declared.at(name).type;
        EXPECT_EQ(column.key, declared.at(name).key);
        EXPECT_TRUE(ValueFitsType(column.value(data), column.type));
        keys += column.key ? 1 : 0;
    }
    std::size_t declaredKeys = 0;
    for (const auto& [name, property] : declared) declaredKeys += property.key ? 1 : 0;
    EXPECT_EQ(keys, declaredKeys) << "every key of the class is a column";
}

// Each served class of the class table, by the name its row gives; a row that serves a class
// whose columns are not checked here fails.
TEST(InstanceColumns, EveryTableIsItsClassInTheShippedMof) {
    const auto classes = ShippedClasses();
    std::set<ProviderClass> checked;
    const auto expect = [&](ProviderClass served, const auto& columns) {
        ExpectTableIsTheClass(classes, std::string(IdentityOf(served).servedClass).c_str(),
                              columns);
        checked.insert(served);
    };
    expect(ProviderClassNamed("NorvSensorProv"), kSensorColumns);
    expect(ProviderClassNamed("NorvNumericSensorProv"), kNumericSensorColumns);
    expect(ProviderClassNamed("NorvLogRecordProv"), kLogRecordColumns);
    expect(ProviderClassNamed("NorvRecordLogProv"), kRecordLogColumns);
    expect(ProviderClassNamed("NorvComputerSystemProv"), kComputerSystemColumns);
    expect(ProviderClassNamed("NorvAdminDomainProv"), kAdminDomainColumns);
    expect(ProviderClassNamed("NorvSystemSpecificCollectionProv"), kSensorCollectionColumns);
    expect(ProviderClassNamed("NorvHealthConditionProv"), kHealthConditionColumns);
    for (std::size_t row = 0; row < kProviderClassCount; ++row) {
        const auto served = static_cast<ProviderClass>(row);
        EXPECT_EQ(checked.contains(served), !IdentityOf(served).servedClass.empty())
            << IdentityOf(served).className;
    }
}

// The shipped MOF registers each provider as the class table's row names it: a provider object
// with the row's name and CLSID, a registration of it, and the row's served class declared with
// it as its provider; every provider object of the MOF is a row.
TEST(InstanceColumns, TheShippedMofRegistersEveryRowOfTheClassTable) {
    const std::string mof = ShippedMof();
    const std::regex providerObject(
        R"re(instance of __Win32Provider as \$(\w+)\s*\{\s*Name = "(\w+)";\s*CLSID = "([^"]*)";)re");
    std::map<std::string, std::pair<std::string, std::string>> declared;  // name: alias, CLSID
    for (auto match = std::sregex_iterator(mof.begin(), mof.end(), providerObject);
         match != std::sregex_iterator(); ++match) {
        declared[(*match)[2]] = {(*match)[1], (*match)[3]};
    }
    std::vector<ProviderClassIdentity> rows(kProviderClassIdentities.begin(),
                                            kProviderClassIdentities.end());
    rows.push_back(kHardwareEventProviderIdentity);
    EXPECT_EQ(declared.size(), rows.size()) << "a provider object of the MOF is not a row";
    for (const ProviderClassIdentity& row : rows) {
        const std::string name(row.className);
        SCOPED_TRACE(name);
        ASSERT_TRUE(declared.contains(name)) << "no provider object";
        const auto& [alias, clsid] = declared.at(name);
        EXPECT_EQ(clsid, row.clsid);
        EXPECT_TRUE(std::regex_search(
            mof, std::regex(R"(Registration\s*\{\s*Provider = \$)" + alias + ";")))
            << "no registration of " << alias;
        if (row.servedClass.empty()) continue;
        EXPECT_TRUE(
            std::regex_search(mof, std::regex("provider\\(\"" + name + "\"\\)[^\\]]*\\]\\s*class " +
                                              std::string(row.servedClass) + "\\s*\\{")))
            << "its class is not declared with it";
    }
}

// Each association's two references are its keys, typed as the class of the instances its
// ends are (an object reference for an end that may be a Sensor or a NumericSensor).
TEST(InstanceColumns, EveryAssociationIsItsClassInTheShippedMof) {
    const auto classes = ShippedClasses();
    const std::map<GraphEnd, std::string> refType{
        {GraphEnd::Controller, "ComputerSystem ref"}, {GraphEnd::Domain, "AdminDomain ref"},
        {GraphEnd::Collection, "SystemSpecificCollection ref"}, {GraphEnd::Log, "RecordLog ref"},
        {GraphEnd::EachSensor, "object ref"},  {GraphEnd::EachRecord, "LogRecord ref"},
        {GraphEnd::RecordSensor, "object ref"}};
    for (const AssociationClass& association : kAssociationClasses) {
        const std::string name = NarrowName(association.name);
        ExpectTableIsTheClass(classes, name.c_str(), AssociationColumns(association));
        const MofClass& declared = classes.at(name);
        EXPECT_EQ(declared.at(NarrowName(association.firstRole)).type, refType.at(association.first));
        for (const GraphEnd end : {association.first, association.second}) {
            const std::string& type = refType.at(end);
            if (type != "object ref") {
                EXPECT_TRUE(EndMayBe(end, type.substr(0, type.size() - 4))) << type;
            }
        }
        EXPECT_EQ(declared.at(NarrowName(association.secondRole)).type,
                  refType.at(association.second));
    }
}

// The keys a lookup reads are the key columns in the table's order; a match needs every one
// of them exactly, a class's own name (a wide constant) included.
TEST(InstanceColumns, ALookupMatchesOnEveryKeyColumnExactly) {
    constexpr auto names = KeyNames<kSensorColumns>();
    ASSERT_EQ(names.size(), 4u);
    EXPECT_STREQ(names[0], L"CreationClassName");
    EXPECT_STREQ(names[3], L"SystemName");
    SensorInstanceData sensor;
    sensor.deviceId = "10.0.32";
    sensor.systemCreationClassName = "ComputerSystem";
    sensor.systemName = "IPMI Controller 0";
    std::array<std::string, 4> wanted{"Sensor", "10.0.32", "ComputerSystem", "IPMI Controller 0"};
    EXPECT_TRUE(MatchesKeyColumns(kSensorColumns, sensor, wanted));
    for (std::size_t key = 0; key < wanted.size(); ++key) {
        for (const std::string& other : {std::string(), wanted[key] + " ", wanted[key].substr(1)}) {
            auto changed = wanted;
            changed[key] = other;
            EXPECT_FALSE(MatchesKeyColumns(kSensorColumns, sensor, changed)) << key << other;
        }
    }
    wanted[0] = "sensor";
    EXPECT_FALSE(MatchesKeyColumns(kSensorColumns, sensor, wanted));
    EXPECT_FALSE(MatchesKeyColumns(kNumericSensorColumns, NumericSensorInstanceData{},
                                   std::array<std::string, 4>{"Sensor", "", "", ""}));
}

}  // namespace
}  // namespace norv
