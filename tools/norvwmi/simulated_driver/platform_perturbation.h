// A platform whose health data changes while the host runs (norvwmi --perturb SEED), so
// that the provider's caches are exercised against moving data: temperatures rise and fall,
// fans change speed, one fan fails and recovers, and the management log grows.
//
// The data comes in numbered versions. Version 0 is the description as written; the platform
// moves to its next version each time the health driver is asked for its temperatures, which
// every inventory build does once, so the data changes between refreshes. Every query is
// answered from one version, and what a version holds depends only on the seed and its
// number, so a checker can recompute any version it saw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "simulated_driver/changing_class_source.h"

namespace norvwmi {

// The classes that change, all in root\wmi; a query of the first moves the platform on.
inline constexpr std::string_view kPerturbedNamespace = "root\\wmi";
inline constexpr std::string_view kPerturbedTemperatureClass = "TempSensorInfo";
inline constexpr std::string_view kPerturbedFanClass = "FanInfo";
inline constexpr std::string_view kPerturbedLogClass = "KronInfo";

// Temperatures move within this band around the described value (whole degrees C).
inline constexpr std::int32_t kTemperatureBelow = 4;
inline constexpr std::int32_t kTemperatureAbove = 12;
// The failing fan fails for this many versions, then works for as many, and so on.
inline constexpr std::uint64_t kFanFailurePeriod = 4;
// FanSpeed of a failed fan: "off line".
inline constexpr std::uint8_t kFailedFanSpeed = 3;
// One log entry is appended per version, up to this many; the area stays far below the
// 32768 bytes the provider reads.
inline constexpr std::uint64_t kMaxAppendedLogEntries = 300;

// The rules, as pure functions of the seed and the version.
std::uint64_t PerturbationDraw(std::uint64_t seed, std::uint64_t version, std::uint64_t slot);
std::uint32_t PerturbedCelsius(std::uint64_t seed, std::uint64_t version, std::size_t sensor,
                               std::uint32_t describedCelsius);
// Which of `fanCount` fans fails now and then (fanCount > 0).
std::size_t FailingFan(std::uint64_t seed, std::size_t fanCount);
bool FanFailedIn(std::uint64_t version);
std::uint8_t PerturbedFanSpeed(std::uint64_t seed, std::uint64_t version, std::size_t fan);
std::uint64_t AppendedLogEntries(std::uint64_t version);

// The changing classes of one version.
struct PlatformVersion {
    std::uint64_t number = 0;
    std::vector<InstanceDefinition> temperatures;
    std::vector<InstanceDefinition> fans;
    std::vector<InstanceDefinition> logs;  // the one KronInfo, or none
};

class PerturbedClassSource final : public ChangingClassSource {
public:
    PerturbedClassSource(std::shared_ptr<const PlatformClassSource> described, std::uint64_t seed);

    std::uint64_t Seed() const { return seed_; }
    // The version the next query of a class other than the temperatures is answered from.
    std::uint64_t Version() const;

    // Version `number` as it is (or was, or will be) served.
    std::shared_ptr<const PlatformVersion> Build(std::uint64_t number) const;
    // The TempCelsius of the present temperature sensors of a version, in ascending order.
    std::vector<std::uint32_t> PresentTemperatures(std::uint64_t number) const;

    // The changing classes come from one version, which stays alive until the calling thread
    // asks for instances of a changing class again (a query reads its instances before it
    // makes the next one). Everything else is the described platform's.
    std::vector<const InstanceDefinition*> Instances(std::string_view nameSpace,
                                                     std::string_view className) const override;

private:
    struct DescribedTemperature {
        std::uint32_t celsius = 0;
        bool present = false;
    };

    std::uint64_t seed_;
    std::vector<InstanceDefinition> temperatures_;  // as described
    std::vector<InstanceDefinition> fans_;
    std::vector<InstanceDefinition> logs_;
    std::vector<DescribedTemperature> describedTemperatures_;
    std::vector<std::vector<std::uint8_t>> logEntries_;  // of the described log, oldest first

    mutable std::mutex mutex_;
    mutable std::shared_ptr<const PlatformVersion> current_;
    mutable std::map<std::thread::id, std::shared_ptr<const PlatformVersion>> pinned_;
};

}  // namespace norvwmi
