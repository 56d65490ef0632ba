// The MOF files the project ships and the host embeds: they load as the host loads
// them, the served classes carry what their providers write and read, and the
// platform descriptions hold data the sensor builders can number.
#include "repository/repository.h"

#include "host/provider_class_identity.h"
#include "repository/name_compare.h"
#include "repository/value_normalisation.h"
#include "repository/wql_select.h"
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
constexpr std::string_view kPlatformNamespace = "root\\wmi";
constexpr std::string_view kProcessorNamespace = "root\\CIMv2";
constexpr std::string_view kHostNamespace = "root\\norvwmi";

constexpr std::string_view kDefaultPlatform = "platforms/default.mof";
constexpr std::string_view kDriverAbsentPlatform = "platforms/driver-absent.mof";

using testing::kHealthClasses;
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
                         ::testing::Values(kDefaultPlatform, kDriverAbsentPlatform,
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
    // The seven instance providers and the event provider.
    EXPECT_EQ(providers.size(), norv::kProviderClassIdentities.size() + 1);
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

// How a provider puts a property (every integer as VT_I4, uint64 as decimal text,
// date-times as CIM date-time text), and the CIM types that accept it.
enum class Put {
    Text,
    DateTimeText,
    DecimalUInt64,
    Boolean,
    Unsigned,
    Signed,
    TextArray,
    UInt16Array
};

bool Accepts(Put put, const PropertyDefinition& property) {
    const CimType type = property.type;
    switch (put) {
        case Put::Text:
            return type == CimType::String && !property.isArray;
        case Put::DateTimeText:
            return type == CimType::DateTime && !property.isArray;
        case Put::DecimalUInt64:
            return type == CimType::UInt64 && !property.isArray;
        case Put::Boolean:
            return type == CimType::Boolean && !property.isArray;
        case Put::Unsigned:
            return (type == CimType::UInt16 || type == CimType::UInt32) && !property.isArray;
        case Put::Signed:
            return type == CimType::SInt32 && !property.isArray;
        case Put::TextArray:
            return type == CimType::String && property.isArray;
        case Put::UInt16Array:
            return type == CimType::UInt16 && property.isArray;
    }
    return false;
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
    {"Sensor", Put::Text, kSensorTexts},
    {"Sensor", Put::Unsigned, "SensorType"},
    {"Sensor", Put::TextArray, "PossibleStates"},
    {"NumericSensor", Put::Text, kSensorTexts},
    {"NumericSensor", Put::Unsigned, "SensorType BaseUnits RateUnits Resolution Hysteresis"},
    // Put from signed values: a negative one must survive.
    {"NumericSensor", Put::Signed,
     "UnitModifier CurrentReading Accuracy NormalMin NormalMax NominalReading "
     "LowerThresholdNonCritical UpperThresholdNonCritical LowerThresholdCritical "
     "UpperThresholdCritical LowerThresholdFatal UpperThresholdFatal MinReadable MaxReadable"},
    {"NumericSensor", Put::Boolean, "IsLinear"},
    {"NumericSensor", Put::TextArray, "PossibleStates"},
    {"LogRecord", Put::Text,
     "Caption CreationClassName Description ElementName LogCreationClassName LogName RecordData "
     "RecordFormat RecordID"},
    {"LogRecord", Put::DateTimeText, "MessageTimestamp"},
    {"RecordLog", Put::Text, "Caption Description ElementName InstanceID Name"},
    {"RecordLog", Put::DecimalUInt64, "CurrentNumberOfRecords MaxNumberOfRecords"},
    {"RecordLog", Put::Unsigned, "EnabledState"},
    {"RecordLog", Put::DateTimeText, "TimeOfLastStateChange"},
    {"ComputerSystem", Put::Text,
     "CreationClassName Name Caption ElementName Description NameFormat"},
    {"ComputerSystem", Put::TextArray, "Roles IdentifyingDescriptions OtherIdentifyingInfo"},
    {"ComputerSystem", Put::UInt16Array, "Dedicated"},
    {"AdminDomain", Put::Text, "CreationClassName Name Caption ElementName Description NameFormat"},
    {"AdminDomain", Put::TextArray, "Roles"},
    {"SystemSpecificCollection", Put::Text, "InstanceID Caption ElementName Description"},
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

// Every query the provider runs, in its namespace: WMI refuses a query that names a
// property the class does not declare, and the provider would see an empty result.
struct ProviderQuery {
    std::string_view nameSpace;
    std::string_view text;
};

constexpr ProviderQuery kQueries[] = {
    {kPlatformNamespace,
     "SELECT TempBlowout, TempCelsius, TempImmediatePowerOff, TempLocale, TempNumber, "
     "TempOverThreshold, TempPhysicallyFailed, TempPresent, TempShutdownGracefully, "
     "TempThreshold  FROM TempSensorInfo"},
    {kPlatformNamespace,
     "SELECT FanLocale, FanPresent, FanPhysicallyFailed, FanRedundant, FanRedCapable, "
     "FanRedGroupId, FanMinReqForRedundancy, FanMinReqToRun, FanSharedGroupingCapable, "
     "FanSharedRedGroupId, FanSharedMinReqForRedundancy, FanSharedMinReqToRun FROM FanInfo"},
    {kPlatformNamespace,
     "SELECT FanIndex, FanLocale, FanPresent, FanType, FanSpeed, FanPhysicallyFailed FROM FanInfo"},
    {kPlatformNamespace,
     "SELECT PowerSupplyNumber, PowerSupplyPresent, PowerSupplyFailed, PowerSupplyRedCapable, "
     "PowerSupplyRedGroupId, PowerSupplyMinReqForRedundancy, PowerSupplyMinReqToRun, "
     "MaximumPowerSupplyID, NumPowerSuppliesSupportedByChassis, PowerSupplyIsRedundant FROM "
     "PowerSupplyInfo"},
    {kPlatformNamespace,
     "SELECT PowerSupplyNumber, PowerSupplyPresent, PowerSupplyFailed, MaximumPowerSupplyID FROM "
     "PowerSupplyInfo"},
    {kPlatformNamespace, "SELECT ASRIsEnabled, ASRTimeOut FROM ASRInfo"},
    {kPlatformNamespace, "SELECT UIDLightState FROM UIDLightInfo"},
    {kPlatformNamespace, "SELECT * FROM ResMemInfo"},
    {kPlatformNamespace,
     "SELECT CartID, NumModules, CartStatus, Removable, CartError, CartPIRN FROM MemoryBoardInfo"},
    {kPlatformNamespace, "SELECT * FROM MemoryDIMMInfo"},
    {kPlatformNamespace, "SELECT KronData, KronSize FROM KronInfo"},
    {kPlatformNamespace,
     "SELECT DriverMajorVersion, DriverMinorVersion, DriverBuildRevision, DriverBootlegRevision, "
     "DriverName FROM DriverVersion"},
    {kPlatformNamespace, "SELECT Size,SMBiosData FROM MSSmBios_RawSMBiosTables"},
    {kProcessorNamespace, "SELECT * FROM Win32_Processor"},
};

TEST(ShippedMof, EveryQueryOfTheProviderNamesDeclaredProperties) {
    const Repository& repository = DefaultPlatform();
    for (const ProviderQuery& query : kQueries) {
        SCOPED_TRACE(query.text);
        const auto parsed = ParseWqlSelect(query.text);
        const auto* select = std::get_if<WqlSelect>(&parsed);
        ASSERT_NE(select, nullptr);
        const ClassDefinition* definition =
            repository.FindClass(query.nameSpace, select->className);
        ASSERT_NE(definition, nullptr);
        for (const std::string& name : select->properties)
            EXPECT_NE(definition->FindProperty(name), nullptr) << name;
    }
}

// How the provider reads a platform property: a boolean getter needs VT_BOOL, the
// integer getters any integer up to 32 bits, the byte-array getter an integer array.
enum class Read { Boolean, Integer, IntegerArray, Text };

bool Suits(Read read, const PropertyDefinition& property) {
    const CimType type = property.type;
    const bool integer = type == CimType::UInt8 || type == CimType::SInt8 ||
                         type == CimType::UInt16 || type == CimType::SInt16 ||
                         type == CimType::UInt32 || type == CimType::SInt32;
    switch (read) {
        case Read::Boolean:
            return type == CimType::Boolean && !property.isArray;
        case Read::Integer:
            return integer && !property.isArray;
        case Read::IntegerArray:
            return integer && property.isArray;
        case Read::Text:
            return type == CimType::String && !property.isArray;
    }
    return false;
}

struct ReadProperties {
    std::string_view nameSpace;
    std::string_view className;
    Read read;
    std::string_view names;
};

constexpr ReadProperties kReads[] = {
    {kPlatformNamespace, "TempSensorInfo", Read::Boolean,
     "TempPresent TempImmediatePowerOff TempOverThreshold TempShutdownGracefully"},
    {kPlatformNamespace, "TempSensorInfo", Read::Integer,
     "TempNumber TempLocale TempCelsius TempThreshold"},
    {kPlatformNamespace, "FanInfo", Read::Boolean,
     "FanPresent FanPhysicallyFailed FanRedCapable FanSharedGroupingCapable"},
    {kPlatformNamespace, "FanInfo", Read::Integer,
     "FanLocale FanSpeed FanIndex FanRedGroupId FanMinReqForRedundancy FanMinReqToRun "
     "FanSharedRedGroupId FanSharedMinReqForRedundancy FanSharedMinReqToRun"},
    {kPlatformNamespace, "PowerSupplyInfo", Read::Boolean,
     "PowerSupplyPresent PowerSupplyFailed PowerSupplyRedCapable"},
    {kPlatformNamespace, "PowerSupplyInfo", Read::Integer,
     "PowerSupplyNumber MaximumPowerSupplyID PowerSupplyRedGroupId "
     "PowerSupplyMinReqForRedundancy PowerSupplyMinReqToRun"},
    {kPlatformNamespace, "ResMemInfo", Read::Boolean,
     "Present SupportsMirrored SupportsOnlineSpare SupportsRAID"},
    {kPlatformNamespace, "ResMemInfo", Read::Integer,
     "MemorySubsystemStatus NumberCartridges NumberModules"},
    {kPlatformNamespace, "MemoryBoardInfo", Read::Integer, "CartID CartStatus CartPIRN"},
    // Unlike ResMemInfo's, a DIMM's Present is read as an integer.
    {kPlatformNamespace, "MemoryDIMMInfo", Read::Integer, "Present CartID ModuleID Status"},
    {kPlatformNamespace, "ASRInfo", Read::Boolean, "ASRIsEnabled"},
    {kPlatformNamespace, "UIDLightInfo", Read::Integer, "UIDLightState"},
    {kPlatformNamespace, "KronInfo", Read::Integer, "KronSize"},
    {kPlatformNamespace, "KronInfo", Read::IntegerArray, "KronData"},
    {kPlatformNamespace, "DriverVersion", Read::Integer,
     "DriverMajorVersion DriverMinorVersion DriverBuildRevision DriverBootlegRevision"},
    {kPlatformNamespace, "MSSmBios_RawSMBiosTables", Read::Integer, "Size"},
    {kPlatformNamespace, "MSSmBios_RawSMBiosTables", Read::IntegerArray, "SMBiosData"},
    {kProcessorNamespace, "Win32_Processor", Read::Text, "SocketDesignation"},
};

TEST(ShippedMof, PlatformPropertiesHaveTypesTheProviderCanReadThemAs) {
    const Repository& repository = DefaultPlatform();
    for (const ReadProperties& row : kReads) {
        const ClassDefinition* definition = repository.FindClass(row.nameSpace, row.className);
        ASSERT_NE(definition, nullptr) << row.className;
        for (const std::string& name : Words(row.names)) {
            const PropertyDefinition* property = definition->FindProperty(name);
            ASSERT_NE(property, nullptr) << row.className << "." << name;
            EXPECT_TRUE(Suits(row.read, *property))
                << row.className << "." << name << " is " << CimTypeName(property->type)
                << (property->isArray ? "[]" : "");
        }
    }
}

TEST(ShippedMof, DriverAbsentPlatformHasNoHealthClassesButKeepsTheProcessors) {
    const LoadedMof loaded = LoadShipped(kDriverAbsentPlatform);
    ASSERT_TRUE(loaded.errors.empty()) << ::testing::PrintToString(loaded.errors);
    const Repository& repository = loaded.repository;
    std::set<std::string> absent;
    for (const InstanceDefinition* directive :
         repository.Instances(kHostNamespace, "Norvwmi_AbsentClass")) {
        EXPECT_EQ(TextOf(*directive, "Namespace"), kPlatformNamespace);
        absent.insert(TextOf(*directive, "ClassName"));
    }
    for (std::string_view health : kHealthClasses) {
        EXPECT_TRUE(repository.Instances(kPlatformNamespace, health).empty()) << health;
        EXPECT_EQ(absent.count(std::string(health)), 1u) << health;
    }
    EXPECT_EQ(absent.size(), std::size(kHealthClasses));
    EXPECT_EQ(repository.Instances(kProcessorNamespace, "Win32_Processor").size(), 2u);
}

}  // namespace
}  // namespace norvwmi
