// The data of a class whose instance list is built anew for every request (the controller,
// domain and collection classes). Each request owns its list, so the provider object keeps
// nothing that two requests could write at once, even when its own lock cannot be had.
#pragma once

#include <wbemcli.h>

#include <span>
#include <vector>

namespace norv::win {

// Build fills an empty list; it cannot fail, only run out of memory (an exception).
template <typename Entry, void (*Build)(std::vector<Entry>& list, IWbemContext* context)>
class RebuiltList {
public:
    // A request's view: the list built for it alone.
    class Session {
    public:
        Session(RebuiltList& /*data*/, IWbemContext* context) { Build(entries_, context); }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

        bool Refreshed() const noexcept { return true; }
        std::span<const Entry> Entries() const noexcept { return entries_; }

    private:
        std::vector<Entry> entries_;
    };
};

}  // namespace norv::win
