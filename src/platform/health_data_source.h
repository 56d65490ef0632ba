// The builders' only road to the platform health data: one query operation and three
// property readers. On Windows it runs WQL queries and reads the result objects through the
// typed getters; tests serve plain in-memory objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace norv {

// One result object of a query. Its content is reachable only through the readers of the
// source that returned it.
class HealthObject {
public:
    virtual ~HealthObject() = default;
};

// Owning the objects releases them when the list goes away, on every path of a builder.
using HealthObjectList = std::vector<std::unique_ptr<HealthObject>>;

// The namespace of the health driver's classes.
inline constexpr std::string_view kHealthNamespace = "root\\wmi";

class HealthDataSource {
public:
    virtual ~HealthDataSource() = default;

    // The result objects of a WQL query in the given namespace, in the order the platform
    // hands them out. A missing class or a query that cannot run yields an empty list: the
    // operation has no failure of its own. The request context, when there is one, is the
    // source's own business.
    virtual HealthObjectList Query(std::string_view nameSpace, std::string_view wql) = 0;

    // Each reader returns whether the property was read. On false the out-value is left as
    // it was, so the caller's initial value is the default of a missing property.

    // A boolean property; any other type is a failure.
    virtual bool ReadBool(const HealthObject& object, std::string_view property, bool& value) = 0;
    // Any signed or unsigned integer property, widened to 32 bits.
    virtual bool ReadInt32(const HealthObject& object, std::string_view property,
                           std::int32_t& value) = 0;
    // The low 8 bits of what ReadInt32 reads.
    virtual bool ReadUInt8(const HealthObject& object, std::string_view property,
                           std::uint8_t& value) = 0;
    // A string property as narrow text; any other type is a failure.
    virtual bool ReadString(const HealthObject& object, std::string_view property,
                            std::string& value) = 0;
    // The low 8 bits of each element of an integer array, at most `capacity` of them.
    virtual bool ReadBytes(const HealthObject& object, std::string_view property,
                           std::size_t capacity, std::vector<std::uint8_t>& value) = 0;

    // How many Query calls of this source so far did not run to their end: the class was
    // refused, the query or its connection failed, or the enumeration timed out. Their lists
    // say nothing about the platform: the builders take such a list as it is, but the event
    // log must not take a log it could not read for an empty log, nor the event provider a
    // class it could not read for sensors that went away.
    virtual std::size_t QueriesNotRun() const { return 0; }
};

}  // namespace norv
