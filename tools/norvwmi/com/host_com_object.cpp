#include "com/host_com_object.h"

#include <atomic>

namespace norvwmi {

namespace {
std::atomic<long> liveObjects{0};
}

long LiveComObjects() {
    return liveObjects.load();
}

namespace detail {
void CountComObject(long delta) {
    liveObjects += delta;
}
}  // namespace detail

}  // namespace norvwmi
