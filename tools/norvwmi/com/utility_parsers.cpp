#include "com/utility_parsers.h"

#include "com/host_class_factory.h"
#include "com/query_parser.h"
#include "com/utility_parser_ids.h"
#include "com/wbem_path.h"

namespace norvwmi {

void UtilityParserRegistration::Revoke() {
    pathParser_.Revoke();
    queryParser_.Revoke();
}

UtilityParserRegistration RegisterWmiUtilityParsers() {
    UtilityParserRegistration registration;
    registration.status_ = [&registration]() -> HRESULT {
        try {
            // A new parser for every CreateInstance, as the provider's CoGetClassObject and
            // IClassFactory expect.
            auto pathFactory = HostClassFactory<WbemPath>::Create();
            auto queryFactory = HostClassFactory<QueryParser>::Create();
            NORV_RETURN_IF_FAILED(
                registration.pathParser_.Register(kPathParserClsid, pathFactory.get()));
            return registration.queryParser_.Register(kQueryParserClsid, queryFactory.get());
        }
        NORV_CATCH_RETURN()
    }();
    if (FAILED(registration.status_)) registration.Revoke();
    return registration;
}

}  // namespace norvwmi
