#include "eventlog/cache_snapshot_win.h"

#include "eventlog/sel_cache.h"
#include "sensors/sdr_cache.h"

namespace norv::win {

CacheSnapshot TakeCacheSnapshot(CacheParts parts, IWbemContext* context) {
    return TakeCacheSnapshot(TheSelCache(), TheSdrCache(), parts, context);
}

}  // namespace norv::win
