#include "graph/association_select.h"

#include <cwctype>

#include "platform/name_case.h"

namespace norv {
namespace {

// Reads the query from left to right; every step either takes what it expects or fails.
class Reader {
public:
    explicit Reader(std::wstring_view text) : text_(text) {}

    void SkipBlanks() {
        while (at_ < text_.size() && std::iswspace(static_cast<wint_t>(text_[at_]))) ++at_;
    }
    bool AtEnd() {
        SkipBlanks();
        return at_ == text_.size();
    }
    bool Take(wchar_t c) {
        SkipBlanks();
        if (at_ == text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    // A name: a letter or underscore, then letters, digits and underscores.
    std::optional<std::wstring> Name() {
        SkipBlanks();
        const std::size_t start = at_;
        while (at_ < text_.size() && (std::iswalnum(static_cast<wint_t>(text_[at_])) ||
                                      text_[at_] == L'_'))
            ++at_;
        if (at_ == start || std::iswdigit(static_cast<wint_t>(text_[start]))) return std::nullopt;
        return std::wstring(text_.substr(start, at_ - start));
    }
    // A keyword, which a name character must not follow.
    bool Keyword(std::wstring_view word) {
        const std::size_t start = at_;
        const std::optional<std::wstring> name = Name();
        if (name && SameName(*name, word)) return true;
        at_ = start;
        return false;
    }
    std::optional<std::wstring> String() {
        SkipBlanks();
        if (at_ == text_.size() || (text_[at_] != L'"' && text_[at_] != L'\'')) return std::nullopt;
        const wchar_t quote = text_[at_++];
        std::wstring value;
        while (at_ < text_.size() && text_[at_] != quote) {
            if (text_[at_] == L'\\' && ++at_ == text_.size()) return std::nullopt;
            value += text_[at_++];
        }
        if (at_ == text_.size()) return std::nullopt;
        ++at_;
        return value;
    }

private:
    std::wstring_view text_;
    std::size_t at_ = 0;
};

// Role = "path", in as many parentheses as it opens.
std::optional<ReferenceTerm> Term(Reader& reader) {
    if (reader.Take(L'(')) {
        std::optional<ReferenceTerm> term = Term(reader);
        if (!term || !reader.Take(L')')) return std::nullopt;
        return term;
    }
    std::optional<std::wstring> role = reader.Name();
    if (!role || !reader.Take(L'=')) return std::nullopt;
    std::optional<std::wstring> path = reader.String();
    if (!path) return std::nullopt;
    return ReferenceTerm{std::move(*role), std::move(*path)};
}

// Terms joined by OR.
bool Condition(Reader& reader, std::vector<ReferenceTerm>& terms) {
    do {
        std::optional<ReferenceTerm> term = Term(reader);
        if (!term) return false;
        terms.push_back(std::move(*term));
    } while (reader.Keyword(L"OR"));
    return true;
}

}  // namespace

std::optional<AssociationSelect> ParseAssociationSelect(std::wstring_view query) {
    Reader reader(query);
    if (!reader.Keyword(L"SELECT") || !reader.Take(L'*') || !reader.Keyword(L"FROM"))
        return std::nullopt;
    AssociationSelect select;
    std::optional<std::wstring> className = reader.Name();
    if (!className || !reader.Keyword(L"WHERE")) return std::nullopt;
    select.className = std::move(*className);
    // A condition wholly in parentheses holds terms joined by OR; a term alone may be in
    // parentheses of its own, which Term reads.
    Reader saved = reader;
    if (reader.Take(L'(')) {
        std::vector<ReferenceTerm> terms;
        if (Condition(reader, terms) && reader.Take(L')') && reader.AtEnd()) {
            select.terms = std::move(terms);
            return select;
        }
        reader = saved;
    }
    if (!Condition(reader, select.terms) || !reader.AtEnd()) return std::nullopt;
    return select;
}

}  // namespace norv
