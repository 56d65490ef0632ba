// Arbitrary bytes, each widened to a character, as a query the association provider may be
// handed. A query read is written back in its plainest spelling, which must read the same.
// Besides the sanitizers' findings, a broken invariant aborts.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_invariant.h"
#include "graph/association_select.h"

using namespace norv;

namespace {

std::wstring Written(const AssociationSelect& select) {
    std::wstring text = L"SELECT * FROM " + select.className + L" WHERE ";
    for (std::size_t at = 0; at < select.terms.size(); ++at) {
        text += (at == 0 ? L"" : L" OR ") + select.terms[at].role + L" = \"";
        for (const wchar_t c : select.terms[at].path) {
            if (c == L'\\' || c == L'"') text += L'\\';
            text += c;
        }
        text += L'"';
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring query(data, data + size);
    const std::optional<AssociationSelect> select = ParseAssociationSelect(query);
    if (!select) return 0;
    REQUIRE(!select->className.empty() && !select->terms.empty());
    const std::optional<AssociationSelect> again = ParseAssociationSelect(Written(*select));
    REQUIRE(again.has_value() && again->className == select->className &&
            again->terms.size() == select->terms.size());
    for (std::size_t at = 0; at < again->terms.size(); ++at)
        REQUIRE(again->terms[at].role == select->terms[at].role &&
                again->terms[at].path == select->terms[at].path);
    return 0;
}
