// Arbitrary bytes as a socket designation: the first byte picks the keyword, the rest is the
// text. A number is only ever found after a whole token that starts with the keyword.
// Besides the sanitizers' findings, a broken invariant aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/socket_designation.h"
#include "fuzz_invariant.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view keyword = (data[0] & 1) != 0 ? kProcKeyword : kSlotKeyword;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::optional<std::uint8_t> number = ParseNumberAfterKeyword(text, keyword);
    if (number) {
        // A keyword token and a token after it with a digit need at least this many bytes.
        REQUIRE(text.size() >= keyword.size() + 2);
    }
    // The text is read only up to its first NUL and its 255th character.
    const std::size_t cut = text.find('\0');
    if (cut != std::string_view::npos) {
        REQUIRE(ParseNumberAfterKeyword(text.substr(0, cut), keyword) == number);
    }
    return 0;
}
