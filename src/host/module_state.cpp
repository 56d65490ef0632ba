#include "host/module_state.h"

#include "host/provider_class_row.h"
#include "platform/load_order.h"

namespace norv::win {
namespace {

constexpr GUID kLibraryId = GuidOf(kTypeLibraryId);

NORV_LOAD_ORDER(kLoadOrderModule) ModuleState g_module;

}  // namespace

const GUID& ModuleState::LibraryId() const noexcept {
    return kLibraryId;
}

ModuleState& Module() noexcept {
    return g_module;
}

}  // namespace norv::win
