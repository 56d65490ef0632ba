// Arbitrary text as an object path, as an association's reference holds one: a path that
// parses is written back with its keys in __RELPATH order, and that text parses to the same
// class and keys, names the same object and is written the same again. Quoted values carry
// nested quotes and backslashes through both directions.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_invariant.h"
#include "repository/object_path.h"
#include "repository/object_path_match.h"

using namespace norvwmi;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = ParseObjectPath(text);
    if (!path) return 0;
    const std::string written = FormatRelativePath(path->className, path->keys, path->singleton);
    const auto again = ParseObjectPath(written);
    REQUIRE(again.has_value());
    REQUIRE(again->className == path->className);
    REQUIRE(again->singleton == path->singleton);
    REQUIRE(again->keys.size() == path->keys.size());
    REQUIRE(again->namespaces.empty() && again->server.empty());
    REQUIRE(SameObject(*again, *path));
    REQUIRE(FormatRelativePath(again->className, again->keys, again->singleton) == written);
    return 0;
}
