// The controller, domain and collection providers of the built module, as WMI drives them:
// made through the module's class objects, initialised with the stand-in's namespace of the
// shipped classes on the default platform, and called inside a server call context.
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/provider_class_identity.h"
#include "host/provider_class_row.h"
#include "inventory/controller_record.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using norvwmi::ClientLevel;
using norvwmi::RecordingSink;
using norvwmi::SinkEvent;
using win::ComPtr;


std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// ---------------------------------------------------------------------------------------
// What each served class shows.

struct ExpectedTexts {
    const wchar_t* property;
    std::vector<std::wstring> values;  // one value: a string property, else an array
    bool isArray = false;
};

struct ServedClassCase {
    const char* label;
    ProviderClass providerClass;
    const wchar_t* className;
    std::vector<ExpectedTexts> texts;
    std::vector<const wchar_t*> nullProperties;
    // Paths of the one instance: as written, and with class and key names in other case.
    std::wstring path;
    std::wstring pathInOtherLetterCase;
    // Paths of the class that name no instance.
    std::vector<std::wstring> unknownPaths;

    GUID Clsid() const { return win::GuidOf(IdentityOf(providerClass).clsid); }
};

void PrintTo(const ServedClassCase& c, std::ostream* out) {
    *out << c.label;
}

// The default platform's driver version is 8.15 (platforms/default.mof).
constexpr const wchar_t* kDefaultFirmware = L"8.15";

std::vector<ServedClassCase> ServedClassCases() {
    const ManagementControllerRecord& controller = TheManagementController();
    const std::wstring controllerName = Wide(controller.name);
    const std::wstring instanceId = Wide(controller.instanceId);
    const std::wstring domainName = L"Management Access Point (MAP) Addressing Root";
    return {
        {"ComputerSystem",
         ProviderClass::ComputerSystem,
         L"ComputerSystem",
         {{L"CreationClassName", {L"ComputerSystem"}},
          {L"Name", {L"IPMI Controller 0"}},
          {L"ElementName", {L"IPMI Controller 0"}},
          {L"Caption", {L"BMC 0"}},
          {L"Description", {std::wstring(L"BMC 0 - IPMI v1.5 - fw v") + kDefaultFirmware}},
          {L"NameFormat", {L"Other"}},
          {L"Roles", {L"Hardware Management Controller"}, true},
          {L"IdentifyingDescriptions", {L"Manufacturer ID-Product ID"}, true},
          {L"OtherIdentifyingInfo", {Wide(controller.manufacturerId) + L"-0"}, true}},
         {L"EnabledState", L"OperationalStatus", L"HealthState", L"ResetCapability",
          L"OtherDedicatedDescriptions"},
         L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=\"" + controllerName + L"\"",
         L"computersystem.NAME=\"" + controllerName + L"\",creationClassName=\"ComputerSystem\"",
         {L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=\"ipmi controller 0\"",
          L"ComputerSystem.CreationClassName=\"computersystem\",Name=\"" + controllerName + L"\"",
          L"ComputerSystem.Name=\"" + controllerName + L"\"",
          L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=\"IPMI Controller 1\"",
          L"ComputerSystem.CreationClassName=\"ComputerSystem\",Name=0"}},
        {"AdminDomain",
         ProviderClass::AdminDomain,
         L"AdminDomain",
         {{L"CreationClassName", {L"AdminDomain"}},
          {L"Name", {domainName}},
          {L"ElementName", {domainName}},
          {L"Caption", {L"MAP Addressing Root"}},
          {L"Description", {L"DMTF WBEM/CIM SMA " + domainName}},
          {L"NameFormat", {L"AS"}},
          {L"Roles", {domainName}, true}},
         {L"PrimaryOwnerName", L"PrimaryOwnerContact", L"EnabledState"},
         L"AdminDomain.CreationClassName=\"AdminDomain\",Name=\"" + domainName + L"\"",
         L"ADMINDOMAIN.creationclassname=\"AdminDomain\",name=\"" + domainName + L"\"",
         {L"AdminDomain.CreationClassName=\"admindomain\",Name=\"" + domainName + L"\"",
          L"AdminDomain.CreationClassName=\"AdminDomain\",Name=\"MAP Addressing Root\"",
          L"AdminDomain.CreationClassName=\"AdminDomain\""}},
        {"SystemSpecificCollection",
         ProviderClass::SystemSpecificCollection,
         L"SystemSpecificCollection",
         {{L"InstanceID", {instanceId}},
          {L"Caption", {L"Sensors"}},
          {L"ElementName", {L"Sensor Collection"}},
          {L"Description", {L"Sensor Collection"}}},
         {},
         L"SystemSpecificCollection.InstanceID=\"" + instanceId + L"\"",
         L"systemspecificcollection.INSTANCEID=\"" + instanceId + L"\"",
         {L"SystemSpecificCollection.InstanceID=\"" + instanceId + L"1\"",
          L"SystemSpecificCollection.InstanceID=\"\"",
          L"SystemSpecificCollection.Other=\"" + instanceId + L"\"",
          L"SystemSpecificCollection=\"" + instanceId + L"\""}},
    };
}

// ---------------------------------------------------------------------------------------

class ServedClassTest : public StandInSuite<::testing::TestWithParam<ServedClassCase>> {
protected:
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        wmi_->Serve(DefaultPlatformNamespaces());
        provider_ = wmi_->InitializedProvider(GetParam().Clsid());
        ASSERT_TRUE(provider_);
    }

    HRESULT Enumerate(RecordingSink* sink, ClientLevel level = ClientLevel::Impersonate) {
        const auto className = Bstr(GetParam().className);
        return AsClient(level, [&] {
            return provider_->CreateInstanceEnumAsync(className.get(), 0, nullptr, sink);
        });
    }
    HRESULT Get(const wchar_t* path, RecordingSink* sink,
                ClientLevel level = ClientLevel::Impersonate) {
        const auto pathText = path ? Bstr(path) : win::UniqueBstr();
        return AsClient(
            level, [&] { return provider_->GetObjectAsync(pathText.get(), 0, nullptr, sink); });
    }
    // The one instance an enumeration yields.
    ComPtr<IWbemClassObject> EnumeratedInstance() {
        const auto sink = NewSink();
        EXPECT_EQ(Enumerate(sink.get()), WBEM_S_NO_ERROR);
        const auto objects = sink->Objects();
        EXPECT_EQ(objects.size(), 1u);
        return objects.empty() ? ComPtr<IWbemClassObject>() : objects.front();
    }

    ComPtr<IWbemServices> provider_;
};

void ExpectShownValues(IWbemClassObject* instance, const ServedClassCase& c) {
    for (const ExpectedTexts& expected : c.texts) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(expected.property)));
        if (expected.isArray) {
            EXPECT_EQ(StringsOf(instance, expected.property), expected.values);
        } else {
            EXPECT_EQ(StringOf(instance, expected.property), expected.values.front());
        }
    }
    for (const wchar_t* property : c.nullProperties) {
        EXPECT_TRUE(IsNull(instance, property)) << testing::PrintToString(std::wstring(property));
    }
}

TEST_P(ServedClassTest, AnEnumerationYieldsTheOneInstanceAndCompletesOnce) {
    const auto sink = NewSink();
    ASSERT_EQ(Enumerate(sink.get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
    const std::vector<SinkEvent> events = sink->Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, SinkEvent::Kind::Indicate);
    ASSERT_EQ(events[0].objects.size(), 1u) << "one object per Indicate";
    EXPECT_EQ(events[1].kind, SinkEvent::Kind::Status);
    EXPECT_EQ(events[1].flags, WBEM_STATUS_COMPLETE);
    EXPECT_EQ(events[1].result, WBEM_S_NO_ERROR);
    EXPECT_TRUE(events[1].text.empty());
    EXPECT_FALSE(events[1].object);
    ExpectShownValues(events[0].objects[0].get(), GetParam());
}

TEST_P(ServedClassTest, ALookupByTheEnumeratedPathReturnsTheSameInstance) {
    const auto enumerated = EnumeratedInstance();
    ASSERT_TRUE(enumerated);
    const std::wstring relativePath = StringOf(enumerated.get(), L"__RELPATH");
    for (const std::wstring& path :
         {relativePath, GetParam().path, GetParam().pathInOtherLetterCase,
          std::wstring(L"\\\\.\\root\\cimv2\\ipmi:") + GetParam().path}) {
        SCOPED_TRACE(testing::PrintToString(path));
        const auto sink = NewSink();
        ASSERT_EQ(Get(path.c_str(), sink.get()), WBEM_S_NO_ERROR);
        EXPECT_EQ(CompletionProblems(WBEM_S_NO_ERROR, *sink.get()), "");
        const std::vector<SinkEvent> events = sink->Events();
        ASSERT_EQ(events.size(), 2u);
        ASSERT_EQ(events[0].objects.size(), 1u);
        EXPECT_EQ(events[0].objects[0]->CompareTo(0, enumerated.get()), WBEM_S_SAME);
        EXPECT_EQ(events[1].flags, 0);
        EXPECT_EQ(events[1].result, WBEM_S_NO_ERROR);
    }
}

TEST_P(ServedClassTest, KeysThatNameNoInstanceAreNotFoundWithoutTouchingTheSink) {
    for (const std::wstring& path : GetParam().unknownPaths) {
        const auto sink = NewSink();
        EXPECT_EQ(Get(path.c_str(), sink.get()), kWbemNotFound) << testing::PrintToString(path);
        EXPECT_TRUE(sink->Events().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, ServedClassTest, ::testing::ValuesIn(ServedClassCases()),
                         [](const auto& test) { return std::string(test.param.label); });

// ---------------------------------------------------------------------------------------
// The controller's firmware version, read from the health driver on every request.

class ControllerFirmwareTest : public StandInSuite<> {
protected:
    void SetUp() override {
        ASSERT_EQ(wmi_->Problem(), "");
        wmi_->Serve(DefaultPlatformNamespaces());
        provider_ =
            wmi_->InitializedProvider(win::GuidOf(IdentityOf(ProviderClass::ComputerSystem).clsid));
        ASSERT_TRUE(provider_);
    }

    std::wstring Description() {
        const auto sink = NewSink();
        const HRESULT hr = AsClient(
            [&] { return provider_->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink.get()); });
        EXPECT_EQ(hr, WBEM_S_NO_ERROR);
        const auto objects = sink->Objects();
        return objects.size() == 1 ? StringOf(objects.front().get(), L"Description") : L"";
    }

    ComPtr<IWbemServices> provider_;
};

TEST_F(ControllerFirmwareTest, TheVersionIsReadAgainForEveryRequest) {
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v8.15");
    const std::string_view withoutDriver[] = {kShippedClasses};
    wmi_->Serve(LoadNamespaces(withoutDriver));
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v1.00");
    wmi_->Serve(DefaultPlatformNamespaces());
    EXPECT_EQ(Description(), L"BMC 0 - IPMI v1.5 - fw v8.15");
}

}  // namespace
}  // namespace norv::test
