#include "bench_platforms.h"

#include <filesystem>
#include <utility>

namespace norv::bench {

BenchPlatform MakeBenchPlatform(std::string name, norvwmi::Platform platform, unsigned copies) {
    BenchPlatform made;
    made.name = std::move(name);
    made.health = std::make_unique<RepositoryHealthSource>(std::move(platform), copies);
    made.processors = std::make_unique<RepositoryProcessorInfoSource>(*made.health);
    return made;
}

BenchPlatform& DefaultBenchPlatform() {
    static BenchPlatform platform = MakeBenchPlatform("default", LoadDefaultPlatform());
    return platform;
}

BenchPlatform& BigServerBenchPlatform() {
    static BenchPlatform platform = [] {
        const std::filesystem::path file =
            std::filesystem::path(NORV_SOURCE_DIR) / "platforms" / "big-server.mof";
        if (std::filesystem::exists(file))
            return MakeBenchPlatform("big-server", LoadPlatformFile(file.string()));
        return MakeBenchPlatform("default-x" + std::to_string(kBigServerCopies),
                                 LoadDefaultPlatform(), kBigServerCopies);
    }();
    return platform;
}

}  // namespace norv::bench
