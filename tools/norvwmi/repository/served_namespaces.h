// What every namespace the host serves shares: the class source, the name of this
// computer, and the behaviour a platform description asks of enumerations (a class that
// stalls after some objects, so that a client's time-out path can be tested).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "repository/cim_object.h"
#include "repository/class_source.h"

namespace norvwmi {

class ServedNamespaces {
public:
    ServedNamespaces(std::shared_ptr<const ClassSource> classes, std::string serverName);

    const ClassSource& Classes() const { return *classes_; }
    const std::string& ServerName() const { return serverName_; }

    // The namespace a client asked a locator for: "root\wmi", "\\.\root\wmi",
    // "//./root/wmi", "\\localhost\root\wmi" or "\\<this computer>\root\wmi", in any
    // letter case. The source's spelling, or nullopt when the server is another one or the
    // namespace is unknown.
    std::optional<std::string> ResolveNamespace(std::string_view requested) const;

    // The class with the ancestors the namespace holds; nullopt when there is no such class.
    std::optional<ClassLineage> Lineage(std::string_view nameSpace,
                                        std::string_view className) const;

    // An enumeration of the class (as named in the query) hands out afterCount objects and
    // then stalls: every further Next waits its time-out and returns what it has.
    void SetStall(std::string_view nameSpace, std::string_view className, std::uint32_t afterCount);
    void ClearStall(std::string_view nameSpace, std::string_view className);
    std::optional<std::uint32_t> StallAfter(std::string_view nameSpace,
                                            std::string_view className) const;

    // The longest an enumerator waits: a longer time-out is cut to it, and WBEM_INFINITE
    // on a stalled enumeration waits this long and then fails as timed out rather than
    // hanging the host. One minute unless set.
    void SetWaitLimit(std::uint32_t milliseconds) { waitLimit_ = milliseconds; }
    std::uint32_t WaitLimit() const { return waitLimit_; }

    // The latest Next calls of the enumerators, oldest first (at most kNextRequestsKept): the
    // batch size and time-out a client asks for, which the tests compare with its rules.
    struct NextRequest {
        std::int32_t timeout = 0;
        std::uint32_t count = 0;
        std::uint32_t returned = 0;
        bool operator==(const NextRequest&) const = default;
    };
    static constexpr std::size_t kNextRequestsKept = 64;
    void RecordNext(const NextRequest& request) const;
    std::vector<NextRequest> TakeNextRequests() const;

private:
    struct Stall {
        std::string nameSpace;
        std::string className;
        std::uint32_t afterCount = 0;
    };

    std::shared_ptr<const ClassSource> classes_;
    std::string serverName_;
    mutable std::mutex stallsMutex_;
    std::vector<Stall> stalls_;
    std::atomic<std::uint32_t> waitLimit_{60000};
    mutable std::mutex nextMutex_;
    mutable std::vector<NextRequest> nextRequests_;
};

}  // namespace norvwmi
