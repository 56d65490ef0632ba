// The MOF files the project ships and the host embeds: they load as the host loads
// them, the served classes carry what their providers write and read, and the
// platform descriptions hold data the sensor builders can number.
#include "repository/repository.h"

#include "host/provider_class_identity.h"
#include "repository/name_compare.h"
#include "support/shipped_mof.h"

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

constexpr std::string_view kDefaultPlatform = "platforms/default.mof";

using testing::ReadSourceFile;

std::string Describe(const std::optional<MofError>& error) {
    return error ? FormatMofError(*error) : std::string();
}

// In the host's order: system classes, the served classes, the platform's classes, the
// host's directives, then one platform description.
struct LoadedMof {
    Repository repository;
    std::vector<std::string> errors;
};

LoadedMof LoadShipped(std::string_view platform) {
    LoadedMof loaded;
    const MofReadResult system = ReadMof(ReadSourceFile("tools/norvwmi/system.mof"), "system.mof");
    if (system.error) loaded.errors.push_back(Describe(system.error));
    if (auto error = loaded.repository.AddSystemClasses(system.document))
        loaded.errors.push_back(Describe(error));
    for (std::string_view file :
         {std::string_view("mof/Norvipmiprv.mof"), std::string_view("tools/norvwmi/health.mof"),
          std::string_view("tools/norvwmi/host.mof"), platform}) {
        if (auto error = loaded.repository.AddMof(ReadSourceFile(file), file))
            loaded.errors.push_back(Describe(error));
    }
    return loaded;
}

const Repository& DefaultPlatform() {
    static const LoadedMof loaded = LoadShipped(kDefaultPlatform);
    return loaded.repository;
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

bool IsTrue(const InstanceDefinition& instance, std::string_view name) {
    const CimValue* value = ValueOf(instance, name);
    const bool* flag = value ? std::get_if<bool>(&value->data) : nullptr;
    return flag && *flag;
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

class ShippedMofLoads : public ::testing::TestWithParam<std::string_view> {};

TEST_P(ShippedMofLoads, WithoutError) {
    const LoadedMof loaded = LoadShipped(GetParam());
    EXPECT_TRUE(loaded.errors.empty()) << ::testing::PrintToString(loaded.errors);
}

INSTANTIATE_TEST_SUITE_P(Platforms, ShippedMofLoads,
                         ::testing::Values(kDefaultPlatform, "platforms/driver-absent.mof",
                                           "platforms/log-wrapped.mof",
                                           "platforms/log-empty.mof",
                                           "platforms/failures.mof",
                                           "platforms/memory-cartridges.mof",
                                           "platforms/memory-board.mof",
                                           "platforms/big-server.mof"));

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

TEST(ShippedMof, EachServedClassIsRegisteredWithItsProviderObject) {
    const Repository& repository = DefaultPlatform();
    const auto providers = repository.Instances(kServedNamespace, "__Win32Provider");
    const auto registrations =
        repository.Instances(kServedNamespace, "__InstanceProviderRegistration");
    EXPECT_EQ(providers.size(), norv::kProviderClassIdentities.size());
    EXPECT_EQ(registrations.size(), norv::kProviderClassIdentities.size());
    // The module's own class table: a class id the MOF and the module disagree on routes
    // WMI's requests nowhere.
    for (const norv::ProviderClassIdentity& served : norv::kProviderClassIdentities) {
        SCOPED_TRACE(served.servedClass);
        const ClassDefinition* definition =
            repository.FindClass(kServedNamespace, served.servedClass);
        ASSERT_NE(definition, nullptr);
        const Qualifier* dynamic = FindQualifier(definition->qualifiers, "dynamic");
        const Qualifier* provider = FindQualifier(definition->qualifiers, "provider");
        ASSERT_NE(dynamic, nullptr);
        EXPECT_EQ(dynamic->value, CimValue{true});
        ASSERT_NE(provider, nullptr);
        EXPECT_EQ(provider->value, CimValue{std::string(served.className)});

        const auto object = std::find_if(providers.begin(), providers.end(), [&](const auto* p) {
            return TextOf(*p, "Name") == served.className;
        });
        ASSERT_NE(object, providers.end());
        EXPECT_EQ(TextOf(**object, "CLSID"), served.clsid);

        const std::string path = "__Win32Provider.Name=\"" + std::string(served.className) + "\"";
        const auto registration =
            std::find_if(registrations.begin(), registrations.end(),
                         [&](const auto* r) { return TextOf(*r, "Provider") == path; });
        ASSERT_NE(registration, registrations.end()) << path;
        EXPECT_TRUE(IsTrue(**registration, "SupportsGet"));
        EXPECT_TRUE(IsTrue(**registration, "SupportsEnumeration"));
        EXPECT_FALSE(IsTrue(**registration, "SupportsPut"));
        // Queries must reach the provider as enumerations: it evaluates none itself.
        const CimValue* levels = ValueOf(**registration, "QuerySupportLevels");
        EXPECT_TRUE(levels == nullptr || levels->IsNull());
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
    {"ComputerSystem", kText,
     "CreationClassName Name Caption ElementName Description NameFormat"},
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
