// The class object of the host's object-path parser: registered under Windows' parser class
// {CF4CC405-E2C5-4DDD-B3CE-5E7582D8C9FA} (see utility_parsers.h), it makes a new WbemPath for
// every CreateInstance, as the provider's CoGetClassObject and IClassFactory expect.
#pragma once

#include <unknwn.h>

#include "com/host_com_object.h"

namespace norvwmi {

class PathParserFactory final : public ComObject<PathParserFactory, IClassFactory> {
public:
    PathParserFactory() = default;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

}  // namespace norvwmi
