#include "host/served_classes.h"

#include <array>

namespace norv::win {
namespace {

// A provider class is served once its row is here, at the place its identity has in
// kProviderClassIdentities (the order of registration and of the class-object search):
//     MakeProviderClassRow(IdentityOf(ProviderClass::ComputerSystem),
//                          &CreateProviderObject<NorvComputerSystemProv>),
constexpr std::array<ProviderClassRow, 0> kServedClasses{};

static_assert(FollowsIdentityOrder(kServedClasses),
              "served rows keep the order of the identity table, each class once");

}  // namespace

std::span<const ProviderClassRow> ServedProviderClasses() noexcept {
    return kServedClasses;
}

}  // namespace norv::win
