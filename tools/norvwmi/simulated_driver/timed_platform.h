// A platform whose timed directives (platform/timed_directives.h) change it while a watch
// runs. The watch tells it each second that has passed; from then on the health driver's
// temperatures (TempSensorInfo) and its management log (KronInfo) are served as the steps
// due by that second left them. Until the first step is due, and for every command but
// watch, which never moves it on, it serves the described platform unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>
#include <vector>

#include "simulated_driver/changing_class_source.h"
#include "simulated_driver/management_log_directives.h"
#include "simulated_driver/timed_directives.h"

namespace norvwmi {

// What the steps change, as of one second.
struct TimedData {
    std::vector<InstanceDefinition> temperatures;  // TempSensorInfo, in described order
    std::optional<DescribedLog> log;               // its events oldest first
    std::vector<InstanceDefinition> logs;          // the one KronInfo serving them, or none
};

// One step applied to `data`: appended events follow the newest, the oldest are dropped
// (the wrapped ones first: WrapAfter counts down), the log area is assembled anew with the
// described layout, readings change with their TempOverThreshold. Dropping more events
// than the log holds, or an area the layout cannot hold, is an error at the step's log
// directive; `data` is then partly changed.
std::optional<MofError> ApplyTimedStep(TimedData& data, const TimedStep& step);

class TimedClassSource final : public ChangingClassSource {
public:
    // Every step is applied once here, so that a fault is reported when the description is
    // loaded, not halfway through a watch.
    static std::variant<std::shared_ptr<const TimedClassSource>, MofError> Make(
        std::shared_ptr<const PlatformClassSource> described, std::vector<TimedStep> steps,
        std::optional<DescribedLog> log);

    // Serves the data of the steps due by `second` of the watch from now on.
    void AdvanceTo(std::uint32_t second) const;

    std::vector<const InstanceDefinition*> Instances(std::string_view nameSpace,
                                                     std::string_view className) const override;

private:
    TimedClassSource(std::shared_ptr<const PlatformClassSource> described,
                     std::vector<TimedStep> steps, TimedData describedData);

    std::vector<TimedStep> steps_;
    TimedData describedData_;

    mutable std::mutex mutex_;
    // Every state served so far, the newest last: instances handed out stay valid while a
    // query on another thread still reads them, and a watch makes few states.
    mutable std::vector<std::shared_ptr<const TimedData>> served_;
    mutable std::size_t applied_ = 0;  // steps in the newest state
};

}  // namespace norvwmi
