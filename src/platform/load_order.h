// The order in which the module's process-wide objects are built when it is loaded; they are
// destroyed in the reverse order when it is unloaded. Each such object is defined with
// NORV_LOAD_ORDER(its step) so that the order holds across source files. The log-entry
// mapping tables have no step: they are constant data, complete at compile time.
#pragma once

namespace norv {

enum LoadOrder : int {
    kLoadOrderClassTable = 1100,          // class-table state: rows, cached class objects
    kLoadOrderModule = 1300,              // module state: lock count, type-information lock
    kLoadOrderControllerRecord = 1400,    // the management controller's record
    kLoadOrderSensorCache = 1600,         // the sensor cache and its named lock
    kLoadOrderEventLogCache = 1700,       // the event-log cache and its named lock
    kLoadOrderProcessorDiscovery = 1800,  // the processor-discovery mutex and buffer
};

}  // namespace norv

#define NORV_LOAD_ORDER(step) __attribute__((init_priority(::norv::step)))

// Defines the module's one object of `type`, built at `step`, and `accessor`, the function
// that returns it (declared in the type's header).
#define NORV_PROCESS_WIDE(type, accessor, step)       \
    namespace {                                        \
    NORV_LOAD_ORDER(step) type accessor##_instance;    \
    }                                                  \
    type& accessor() { return accessor##_instance; }
