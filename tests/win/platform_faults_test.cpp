// Faults of the platform the providers read, served by the norvwmi stand-in: an unreadable
// management log, a lock that fails, an installed class that lacks a property. (A stalled
// query and a property of another type are wmi_access_test's; the fallbacks the core
// builders'; stale lists after a rebuild the cache cases'.)
#include <windows.h>

#include <wbemcli.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "com/wbem_services.h"
#include "eventlog/sel_cache.h"
#include "eventlog/time_zone_win.h"
#include "log_test_support.h"
#include "platform/wmi_property.h"
#include "platform/wmi_query.h"
#include "sensors/sdr_cache.h"
#include "stand_in_wmi.h"

namespace norv::test {
namespace {

using win::SdrCache;
using win::SelCache;

// The caches' clock: the tests move it instead of waiting.
std::int32_t fakeNow = 1'700'000'000;
std::int32_t FakeClock() {
    return fakeNow;
}

class PlatformFaultTest : public StandInSuite<> {
protected:
    void SetUp() override {
        StandInSuite::SetUp();
        fakeNow = 1'700'000'000;
    }
};

// Management-log instances read through WMI: the reading stops at one whose size cannot be
// read, keeping what came before, and the cache says the read was not whole; it keeps that
// read for its two fresh seconds, and a reader keeps it after. (Which instances are read and
// when a read is whole are the core's ReadManagementLog's.)
TEST_F(PlatformFaultTest, ReadingTheLogStopsAtAnUnreadableInstance) {
    const auto served = PlatformOf(kDefaultPlatformName);
    ASSERT_TRUE(served);
    WbemObjectList areas;
    ExecWqlQuery(
        ComPtr<IWbemServices>(norvwmi::NamespaceServices::Create(served, "root\\wmi").get()),
        "SELECT * FROM KronInfo", areas, kNoBatchTimeout);
    ASSERT_EQ(areas.size(), 1u);
    std::int32_t size = 0;
    std::vector<std::uint8_t> bytes(65535);
    std::uint32_t count = static_cast<std::uint32_t>(bytes.size());
    ASSERT_EQ(GetInt32Property(areas.front(), L"KronSize", size), S_OK);
    ASSERT_EQ(GetByteArrayProperty(areas.front(), L"KronData", bytes.data(), count), S_OK);
    std::string data = "{";
    for (std::uint32_t i = 0; i < count; ++i) data += (i ? "," : "") + std::to_string(bytes[i]);
    const std::string readable =
        "KronSize = " + std::to_string(size) + "; KronData = " + data + "}";
    const std::string sizeNull = "KronData = " + data + "}";

    wmi_->Serve(served);
    SdrCache referenceSensors(&win::BuildPlatformInventory, &FakeClock);
    SelCache reference(referenceSensors, &FakeClock, &ReadTimeZoneRules);
    ASSERT_TRUE(reference.Refresh(nullptr));
    EXPECT_TRUE(reference.Contents()->readWhole);
    const std::size_t perLog = reference.Contents()->records.size();
    ASSERT_GT(perLog, 0u);
    std::string text = "#pragma namespace(\"root\\\\wmi\")\n";
    const std::string instances[] = {readable, sizeNull, readable};
    for (std::size_t i = 0; i < std::size(instances); ++i) {
        text += "instance of KronInfo { InstanceName = \"ROOT\\\\KESHHLTH\\\\0000_" +
                std::to_string(i) + "\"; " + instances[i] + "; };\n";
    }
    // The default platform's sensors (its log events are inert in a plain repository).
    wmi_->Serve(RepositoryOf({SourceFile(kServedMofName), SourceFile(kHealthMofName),
                              SourceFile(kHostMofName), SourceFile(kDefaultPlatformName),
                              {"logs.mof", text}}));
    SdrCache sensors(&win::BuildPlatformInventory, &FakeClock);
    SelCache log(sensors, &FakeClock, &ReadTimeZoneRules);
    EXPECT_TRUE(log.Refresh(nullptr)) << "a log that cannot be read is a short log";
    const auto read = log.Contents();
    EXPECT_FALSE(read->readWhole);
    ASSERT_EQ(read->records.size(), perLog);
    EXPECT_EQ(read->logData.currentNumberOfRecords, perLog);
    EXPECT_EQ(read->records.back().recordData, reference.Contents()->records.back().recordData);
    EXPECT_EQ(read->logData.lastChange, reference.Contents()->logData.lastChange);
    wmi_->Serve(served);
    EXPECT_TRUE(log.Refresh(nullptr));
    EXPECT_EQ(log.Contents(), read) << "fresh: no second read within 2 s";
    fakeNow += 2;
    EXPECT_TRUE(log.Refresh(nullptr));
    EXPECT_EQ(log.Contents()->records.size(), perLog);
    EXPECT_TRUE(log.Contents()->readWhole);
    EXPECT_EQ(read->records.size(), perLog) << "a taken read stays as it was";
}

// The provider reads the module's machine-wide logging key when it is made, and its own lock,
// made to fail (its name taken by an event), reports to that log on every request. (The
// writer's own failures, a busy file or a missing folder, are log_writer_test's.)
TEST_F(PlatformFaultTest, AFailingLockIsReportedToTheMachinesLog) {
    wmi_->Serve(PlatformOf(kDefaultPlatformName));
    const TempFile file("FaultLog");
    TestLogKey key(TestLogKey::Machine{});
    if (!key.Usable()) GTEST_SKIP() << "the machine has a logging key of its own";
    key.LogTo(file.Path());
    const win::UniqueHandle squatter(::CreateEventA(
        nullptr, TRUE, FALSE, LockNameOf(ProviderClassNamed("NorvComputerSystemProv")).c_str()));
    ASSERT_TRUE(squatter);
    const auto provider = wmi_->InitializedProvider(ProviderClassNamed("NorvComputerSystemProv"));
    EXPECT_EQ(Enumerated(provider.get()).size(), 1u);
    EXPECT_NE(ReadFileBytes(file.Path())
                  .find("] [Error] - Mutex::CreateSemaphore(Mutex) failed.  Last error:  "),
              std::string::npos);
}

// An installed class that lacks a property the provider writes: an enumeration completes with
// WBEM_E_FAILED (the fill engine's refused put, instance_fill_test's), and a lookup of an
// instance that exists is not found.
TEST_F(PlatformFaultTest, AClassLackingAPropertyFailsTheEnumerationAndFindsNothing) {
    const std::string_view caption =
        "    [Description(\"Sensor type text followed by the device id in parentheses.\")]\n"
        "    string Caption;\n";
    norvwmi::MofFile shipped = SourceFile(kServedMofName);
    const std::size_t at = shipped.text.find(caption);
    ASSERT_NE(at, std::string::npos) << "the shipped classes no longer declare it";
    shipped.text.erase(at, caption.size());
    wmi_->Serve(RepositoryOf({shipped, SourceFile(kHealthMofName), SourceFile(kHostMofName),
                              SourceFile(kDefaultPlatformName)}));
    AgeTheCaches();
    const auto provider = wmi_->InitializedProvider(ProviderClassNamed("NorvSensorProv"));
    const auto listed = NewSink();
    const HRESULT hr = Enumerate(provider.get(), listed.get());
    EXPECT_EQ(hr, kWbemFailed);
    EXPECT_EQ(CompletionProblems(hr, *listed.get()), "");
    EXPECT_TRUE(listed->Objects().empty());
    const auto looked = NewSink();
    EXPECT_EQ(Get(provider.get(),
                  L"Sensor.CreationClassName=\"Sensor\",DeviceID=\"1.0.0\",SystemCreationClassName="
                  L"\"ComputerSystem\",SystemName=\"IPMI Controller 0\"",
                  looked.get()),
              kWbemNotFound);
    EXPECT_TRUE(looked->Events().empty());
    wmi_->Serve(PlatformOf(kDefaultPlatformName));
    AgeTheCaches();
}

}  // namespace
}  // namespace norv::test
