#include "platform/socket_designation.h"

#include <algorithm>

namespace norv {
namespace {

constexpr std::string_view kTokenSeparators = " \t";

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool BeginsWithIgnoringCase(std::string_view token, std::string_view prefix) {
    return token.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), token.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The token that starts at or after position, and moves position past it; empty at the end.
std::string_view NextToken(std::string_view text, std::size_t& position) {
    const std::size_t start = text.find_first_not_of(kTokenSeparators, position);
    if (start == std::string_view::npos) {
        position = text.size();
        return {};
    }
    const std::size_t end = std::min(text.find_first_of(kTokenSeparators, start), text.size());
    position = end;
    return text.substr(start, end - start);
}

}  // namespace

std::optional<std::uint8_t> ParseNumberAfterKeyword(std::string_view text,
                                                    std::string_view keyword) {
    text = text.substr(0, std::min({text.size(), text.find('\0'), kSocketDesignationMaxLength}));
    std::size_t position = 0;
    std::string_view token = NextToken(text, position);
    while (!token.empty()) {
        const std::string_view following = NextToken(text, position);
        if (following.empty()) return std::nullopt;
        if (BeginsWithIgnoringCase(token, keyword)) {
            const auto digit = std::find_if(following.begin(), following.end(), IsDigit);
            if (digit == following.end()) return std::nullopt;
            unsigned number = 0;
            for (auto c = digit; c != following.end() && IsDigit(*c); ++c)
                number = (number * 10 + static_cast<unsigned>(*c - '0')) & 0xFFu;
            return static_cast<std::uint8_t>(number);
        }
        token = following;
    }
    return std::nullopt;
}

}  // namespace norv
