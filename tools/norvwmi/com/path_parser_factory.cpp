#include "com/path_parser_factory.h"

#include "com/wbem_path.h"

namespace norvwmi {

HRESULT PathParserFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) try {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return WbemPath::Create()->QueryInterface(iid, object);
}
NORV_CATCH_RETURN()

// The host's process outlives every parser it hands out; there is no module to keep loaded.
HRESULT PathParserFactory::LockServer(BOOL) {
    return S_OK;
}

}  // namespace norvwmi
