// The data of a class whose provider object owns its instance list and builds it anew for
// every request (the controller, domain and collection classes): nothing survives from one
// request to the next.
#pragma once

#include <wbemcli.h>

#include <span>
#include <vector>

namespace norv::win {

// Build fills an empty list; it cannot fail, only run out of memory (an exception).
template <typename Entry, void (*Build)(std::vector<Entry>& list, IWbemContext* context)>
class RebuiltList {
public:
    // A request's view, opened under the provider's lock: the list as just rebuilt.
    class Session {
    public:
        Session(RebuiltList& data, IWbemContext* context) : entries_(data.entries_) {
            entries_.clear();
            Build(entries_, context);
        }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return true; }
        std::span<const Entry> Entries() const noexcept { return entries_; }

    private:
        std::vector<Entry>& entries_;
    };

private:
    std::vector<Entry> entries_;
};

}  // namespace norv::win
