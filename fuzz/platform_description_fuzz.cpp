// Arbitrary bytes as a platform description of the host: read with the host's MOF files and
// applied with every directive (management log, class behaviour, absent classes, the timed
// steps of a watch). A fault must come back as a MofError with a place in the text; a loaded
// platform must still list the provider's classes, and its timed steps, checked when it was
// loaded, must all apply. Besides the sanitizers' findings, a broken invariant aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "fuzz_invariant.h"
#include "simulated_driver/platform_loading.h"

using namespace norvwmi;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const MofFile description{"fuzz.mof", std::string(reinterpret_cast<const char*>(data), size)};
    const auto loaded = LoadPlatform(description, "FUZZHOST");
    if (const Platform* platform = std::get_if<Platform>(&loaded)) {
        REQUIRE(platform->classes != nullptr && platform->served != nullptr);
        REQUIRE(ServedClassNames(*platform).size() == 15);  // eight classes, seven associations
        if (platform->timed) {
            platform->timed->AdvanceTo(kLastTimedSecond);
            REQUIRE(platform->timed->Instances("root\\wmi", "TempSensorInfo").size() ==
                    platform->classes->Instances("root\\wmi", "TempSensorInfo").size());
        }
    }
    return 0;
}
