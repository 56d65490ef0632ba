// A value as written in MOF or held by an instance: null, boolean, integer,
// real, text or an array of those. Integers keep their sign apart so that the
// full uint64 range survives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace norvwmi {

struct CimValue;
using CimArray = std::vector<CimValue>;

struct CimNull {
    bool operator==(const CimNull&) const = default;
};

// An alias reference in MOF ($Provider): resolved by the reader to the aliased
// instance's object path text.
struct CimAliasRef {
    std::string alias;
    bool operator==(const CimAliasRef&) const = default;
};

class CimObject;

// An object held in an object-typed property (an event's TargetInstance): a copy made when
// it was put, shared by the copies of the holder.
struct CimEmbedded {
    std::shared_ptr<const CimObject> object;
    bool operator==(const CimEmbedded&) const = default;
};

struct CimValue {
    std::variant<CimNull, bool, std::int64_t, std::uint64_t, double, std::string, CimAliasRef,
                 CimArray, CimEmbedded>
        data;

    bool IsNull() const { return std::holds_alternative<CimNull>(data); }
    bool operator==(const CimValue&) const = default;
};

}  // namespace norvwmi
