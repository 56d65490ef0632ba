#include "module/served_classes.h"

#include <array>
#include <cstddef>
#include <utility>

#include "events/hardware_event_provider.h"

namespace norv::win {
namespace {

// A row for each provider class of the table, in its order (the order of registration and of
// the class-object search), each with the creator its provider defines; then the event
// provider.
template <std::size_t... Row>
constexpr auto RowsOf(std::index_sequence<Row...>) {
    return std::array{MakeProviderClassRow(kProviderClassIdentities[Row],
                                           &CreateProvider<static_cast<ProviderClass>(Row)>)...,
                      MakeProviderClassRow(kHardwareEventProviderIdentity,
                                           &CreateProviderObject<NorvHardwareEventProv>)};
}

constexpr auto kServedClasses = RowsOf(std::make_index_sequence<kProviderClassCount>());
static_assert(kServedClasses.size() == kModuleClassCount);

}  // namespace

std::span<const ProviderClassRow> ServedProviderClasses() noexcept {
    return kServedClasses;
}

}  // namespace norv::win
