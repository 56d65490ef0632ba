#include "com/utility_parsers.h"

#include "com/path_parser_factory.h"
#include "com/query_parser.h"
#include "com/utility_parser_ids.h"

namespace norvwmi {

void UtilityParserRegistration::Revoke() {
    pathParser_.Revoke();
    queryParser_.Revoke();
}

UtilityParserRegistration RegisterWmiUtilityParsers() {
    UtilityParserRegistration registration;
    registration.status_ = [&registration]() -> HRESULT {
        try {
            auto pathFactory = PathParserFactory::Create();
            auto queryFactory = QueryParserFactory::Create();
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
