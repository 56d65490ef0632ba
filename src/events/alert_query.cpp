#include "events/alert_query.h"

#include <cwctype>

#include "platform/name_case.h"

namespace norv {
namespace {

// The next word of `text` from `at` on: a run of characters that are neither blank nor
// punctuation a WQL statement separates words with.
std::wstring_view NextWord(std::wstring_view text, std::size_t& at) {
    const auto separates = [](wchar_t c) {
        return std::iswspace(static_cast<wint_t>(c)) || c == L'(' || c == L')' || c == L',' ||
               c == L'*';
    };
    while (at < text.size() && separates(text[at])) ++at;
    const std::size_t start = at;
    while (at < text.size() && !separates(text[at])) ++at;
    return text.substr(start, at - start);
}

}  // namespace

bool AsksForAlerts(std::wstring_view query) {
    std::size_t at = 0;
    for (std::wstring_view word = NextWord(query, at); !word.empty();
         word = NextWord(query, at)) {
        if (SameName(word, std::wstring_view(L"FROM")))
            return SameName(NextWord(query, at), kAlertIndicationClass);
    }
    return false;
}

}  // namespace norv
