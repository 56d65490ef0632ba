// The class object of one of the host's classes: every CreateInstance makes a new Product
// from the arguments the factory was made with (Product::Create(arguments...)), as a
// CoCreateInstance or CoGetClassObject caller expects. No aggregation. The host's process
// outlives every object it hands out, so there is no module to keep loaded: LockServer only
// succeeds.
#pragma once

#include <unknwn.h>

#include <tuple>
#include <utility>

#include "com/host_com_object.h"

namespace norvwmi {

template <typename Product, typename... Arguments>
class HostClassFactory final
    : public ComObject<HostClassFactory<Product, Arguments...>, IClassFactory> {
public:
    explicit HostClassFactory(Arguments... arguments)
        : arguments_(std::forward<Arguments>(arguments)...) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
        try {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        const auto made = std::apply(
            [](const auto&... arguments) { return Product::Create(arguments...); }, arguments_);
        return made->QueryInterface(iid, object);
    }
    NORV_CATCH_RETURN()

    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const std::tuple<Arguments...> arguments_;
};

}  // namespace norvwmi
