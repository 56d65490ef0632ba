// The MOF the project ships, as the host loads it: the served classes carry the keys their
// lookups read, the one implemented method, and every property a provider writes with a type
// that accepts it (thresholds the default platform never sets included).
#include "platform/platform_loading.h"

#include "host/provider_class_identity.h"
#include "repository/name_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace norvwmi {
namespace {

constexpr std::string_view kServedNamespace = "root\\cimv2\\ipmi";

// The default platform as the host loads it (its embedded files are the source tree's).
const Repository& DefaultPlatform() {
    static const Platform platform =
        std::get<Platform>(LoadPlatform(DefaultPlatformDescription(), "HOST"));
    return platform.classes->Declared();
}

const CimValue* ValueOf(const InstanceDefinition& instance, std::string_view name) {
    for (const PropertyValue& value : instance.values)
        if (value.name == name) return &value.value;
    return nullptr;
}

std::string TextOf(const InstanceDefinition& instance, std::string_view name) {
    const CimValue* value = ValueOf(instance, name);
    const auto* text = value ? std::get_if<std::string>(&value->data) : nullptr;
    return text ? *text : std::string("<not text>");
}

const Qualifier* FindQualifier(const std::vector<Qualifier>& qualifiers, std::string_view name) {
    for (const Qualifier& qualifier : qualifiers)
        if (SameName(qualifier.name, name)) return &qualifier;
    return nullptr;
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// The keys each served class's lookup reads from an object path.
const std::map<std::string_view, std::string_view> kLookupKeys = {
    {"LogRecord", "CreationClassName LogCreationClassName LogName MessageTimestamp RecordID"},
    {"RecordLog", "InstanceID"},
    {"SystemSpecificCollection", "InstanceID"},
    {"NumericSensor", "CreationClassName DeviceID SystemCreationClassName SystemName"},
    {"Sensor", "CreationClassName DeviceID SystemCreationClassName SystemName"},
    {"ComputerSystem", "CreationClassName Name"},
    {"AdminDomain", "CreationClassName Name"},
};

TEST(ShippedMof, ServedClassesCarryTheKeysTheirLookupsRead) {
    const Repository& repository = DefaultPlatform();
    ASSERT_EQ(kLookupKeys.size(), norv::kProviderClassIdentities.size());
    for (const norv::ProviderClassIdentity& served : norv::kProviderClassIdentities) {
        SCOPED_TRACE(served.servedClass);
        const ClassDefinition* definition =
            repository.FindClass(kServedNamespace, served.servedClass);
        ASSERT_NE(definition, nullptr);
        EXPECT_EQ(definition->name, served.servedClass);  // the providers ask for it by this name
        std::set<std::string> keys;
        for (const PropertyDefinition& property : definition->properties) {
            if (!property.IsKey()) continue;
            keys.insert(property.name);
            // A lookup reads only the string keys of a path; a date-time key is quoted too.
            EXPECT_TRUE(property.type == CimType::String || property.type == CimType::DateTime)
                << property.name;
            EXPECT_FALSE(property.isArray) << property.name;
        }
        const std::vector<std::string> expected = Words(kLookupKeys.at(served.servedClass));
        EXPECT_EQ(keys, std::set<std::string>(expected.begin(), expected.end()));
    }
}

TEST(ShippedMof, OnlyRecordLogHasAnImplementedMethodClearLogReturningUInt32) {
    const Repository& repository = DefaultPlatform();
    const auto methodRegistrations =
        repository.Instances(kServedNamespace, "__MethodProviderRegistration");
    ASSERT_EQ(methodRegistrations.size(), 1u);
    EXPECT_EQ(TextOf(*methodRegistrations[0], "Provider"),
              "__Win32Provider.Name=\"NorvRecordLogProv\"");

    const ClassDefinition* recordLog = repository.FindClass(kServedNamespace, "RecordLog");
    ASSERT_NE(recordLog, nullptr);
    const MethodDefinition* clearLog = recordLog->FindMethod("ClearLog");
    ASSERT_NE(clearLog, nullptr);
    EXPECT_EQ(clearLog->name, "ClearLog");
    EXPECT_EQ(clearLog->returnType, CimType::UInt32);  // becomes the output's ReturnValue
    EXPECT_TRUE(clearLog->parameters.empty());

    for (const norv::ProviderClassIdentity& served : norv::kProviderClassIdentities) {
        const ClassDefinition* definition =
            repository.FindClass(kServedNamespace, served.servedClass);
        ASSERT_NE(definition, nullptr);
        for (const MethodDefinition& method : definition->methods) {
            const bool implemented = FindQualifier(method.qualifiers, "Implemented") != nullptr;
            EXPECT_EQ(implemented, &method == clearLog) << served.servedClass << "." << method.name;
        }
    }
}

// How a provider puts a property (every integer as VT_I4, uint64 as decimal text, date-times
// as CIM date-time text), as the CIM types that accept it.
struct Put {
    CimType type;
    CimType orType;
    bool isArray;
};
constexpr Put kText{CimType::String, CimType::String, false};
constexpr Put kDateTimeText{CimType::DateTime, CimType::DateTime, false};
constexpr Put kDecimalUInt64{CimType::UInt64, CimType::UInt64, false};
constexpr Put kBoolean{CimType::Boolean, CimType::Boolean, false};
constexpr Put kUnsigned{CimType::UInt16, CimType::UInt32, false};
constexpr Put kSigned{CimType::SInt32, CimType::SInt32, false};  // a negative one must survive
constexpr Put kTextArray{CimType::String, CimType::String, true};
constexpr Put kUInt16Array{CimType::UInt16, CimType::UInt16, true};

bool Accepts(const Put& put, const PropertyDefinition& property) {
    return (property.type == put.type || property.type == put.orType) &&
           property.isArray == put.isArray;
}

struct WrittenProperties {
    std::string_view className;
    Put put;
    std::string_view names;
};

constexpr std::string_view kSensorTexts =
    "CreationClassName Name Caption ElementName Description DeviceID SystemCreationClassName "
    "SystemName OtherSensorTypeDescription CurrentState";

constexpr WrittenProperties kWritten[] = {
    {"Sensor", kText, kSensorTexts},
    {"Sensor", kUnsigned, "SensorType"},
    {"Sensor", kTextArray, "PossibleStates"},
    {"NumericSensor", kText, kSensorTexts},
    {"NumericSensor", kUnsigned, "SensorType BaseUnits RateUnits Resolution Hysteresis"},
    {"NumericSensor", kSigned,
     "UnitModifier CurrentReading Accuracy NormalMin NormalMax NominalReading "
     "LowerThresholdNonCritical UpperThresholdNonCritical LowerThresholdCritical "
     "UpperThresholdCritical LowerThresholdFatal UpperThresholdFatal MinReadable MaxReadable"},
    {"NumericSensor", kBoolean, "IsLinear"},
    {"NumericSensor", kTextArray, "PossibleStates"},
    {"LogRecord", kText,
     "Caption CreationClassName Description ElementName LogCreationClassName LogName RecordData "
     "RecordFormat RecordID"},
    {"LogRecord", kDateTimeText, "MessageTimestamp"},
    {"RecordLog", kText, "Caption Description ElementName InstanceID Name"},
    {"RecordLog", kDecimalUInt64, "CurrentNumberOfRecords MaxNumberOfRecords"},
    {"RecordLog", kUnsigned, "EnabledState"},
    {"RecordLog", kDateTimeText, "TimeOfLastStateChange"},
    {"ComputerSystem", kText, "CreationClassName Name Caption ElementName Description NameFormat"},
    {"ComputerSystem", kTextArray, "Roles IdentifyingDescriptions OtherIdentifyingInfo"},
    {"ComputerSystem", kUInt16Array, "Dedicated"},
    {"AdminDomain", kText, "CreationClassName Name Caption ElementName Description NameFormat"},
    {"AdminDomain", kTextArray, "Roles"},
    {"SystemSpecificCollection", kText, "InstanceID Caption ElementName Description"},
};

TEST(ShippedMof, EveryPropertyAProviderWritesIsDeclaredWithATypeThatAcceptsIt) {
    const Repository& repository = DefaultPlatform();
    for (const WrittenProperties& row : kWritten) {
        const ClassDefinition* definition = repository.FindClass(kServedNamespace, row.className);
        ASSERT_NE(definition, nullptr) << row.className;
        for (const std::string& name : Words(row.names)) {
            const PropertyDefinition* property = definition->FindProperty(name);
            ASSERT_NE(property, nullptr) << row.className << "." << name;
            EXPECT_EQ(property->name, name);  // providers put with this exact spelling
            EXPECT_TRUE(Accepts(row.put, *property))
                << row.className << "." << name << " is " << CimTypeName(property->type)
                << (property->isArray ? "[]" : "");
        }
    }
}

}  // namespace
}  // namespace norvwmi
