// A served class as rows: one column per property its instances carry, in the order the class
// writes them, each with its CIM type, whether it is a key, when it is written and where its
// value comes from in the instance data. One engine writes every class from its rows
// (instance_fill.h), and a lookup's match is read off the key columns, so a class is its
// table and nothing else says what it writes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace norv {

enum class CimType : std::uint8_t {
    String,  // narrow text, or a wide constant (a class's own name)
    StringArray,
    UInt16,
    UInt16Array,
    UInt32,  // written as a 32-bit integer
    SInt32,  // written as the same 32 bits
    Boolean,
    UInt64,  // written as decimal text
    Reference,  // an object path, written as text
};

// A column's value as read off the data: a view into it, valid while the data lives.
using ColumnValue = std::variant<std::string_view, const wchar_t*, std::span<const std::string>,
                                 std::span<const std::uint16_t>, std::uint16_t, std::uint32_t,
                                 std::int32_t, bool, std::uint64_t>;

template <typename Data>
struct Column {
    const wchar_t* name;
    CimType type;
    bool key;
    // Whether the data has the property; null: always.
    bool (*present)(const Data&);
    ColumnValue (*value)(const Data&);

    bool WrittenFor(const Data& data) const { return present == nullptr || present(data); }
};

inline constexpr bool kKey = true;
inline constexpr bool kNotKey = false;

// Column values: a member of the data, or a constant wide text.
template <typename Data, auto Member>
ColumnValue Field(const Data& data) {
    const auto& member = data.*Member;
    using Member_t = std::remove_cvref_t<decltype(member)>;
    if constexpr (std::is_same_v<Member_t, std::string> ||
                  std::is_same_v<Member_t, std::string_view>) {
        return std::string_view(member);
    } else if constexpr (std::is_same_v<Member_t, std::vector<std::string>>) {
        return std::span<const std::string>(member);
    } else if constexpr (std::is_same_v<Member_t, std::vector<std::uint16_t>>) {
        return std::span<const std::uint16_t>(member);
    } else {
        return member;
    }
}
// Text is a zero-terminated wide array with static storage, taken by reference: a pointer to
// its first element is no template argument every compiler takes.
template <typename Data, const auto& Text>
ColumnValue Constant(const Data&) {
    return static_cast<const wchar_t*>(std::data(Text));
}

// When a column is written: its bit set in the data's mask, or its text not empty.
template <typename Data, std::uint32_t Bit>
bool WhenSet(const Data& data) {
    return data.Has(Bit);
}
template <typename Data, auto Member>
bool WhenNotEmpty(const Data& data) {
    return !(data.*Member).empty();
}

// Whether a column's value is of the kind its CIM type is written from.
bool ValueFitsType(const ColumnValue& value, CimType type);

// The names of the key columns, in the table's order: the keys a lookup reads off a path.
template <typename Data, std::size_t Size>
constexpr std::size_t KeyCount(const std::array<Column<Data>, Size>& columns) {
    std::size_t count = 0;
    for (const Column<Data>& column : columns) count += column.key ? 1 : 0;
    return count;
}
template <const auto& Columns>
constexpr auto KeyNames() {
    std::array<const wchar_t*, KeyCount(Columns)> names{};
    std::size_t next = 0;
    for (const auto& column : Columns) {
        if (column.key) names[next++] = column.name;
    }
    return names;
}

// A column's name as narrow text (every name is ASCII).
std::string NarrowName(const wchar_t* name);
// A key column's value as text: its narrow text, or a wide constant's ASCII; empty for a
// value of another kind.
std::string KeyText(const ColumnValue& value);

// Whether a text value equals a wanted key value exactly (a wide constant is plain ASCII).
bool SameKeyText(const ColumnValue& value, std::string_view wanted);

// Whether the data is the instance a lookup's key values name: every key column's value
// equals the wanted value at its place, case-sensitively (the key names were matched in any
// case before).
template <typename Data, std::size_t Size, std::size_t Keys>
bool MatchesKeyColumns(const std::array<Column<Data>, Size>& columns, const Data& data,
                       const std::array<std::string, Keys>& wanted) {
    std::size_t next = 0;
    for (const Column<Data>& column : columns) {
        if (!column.key) continue;
        if (next >= Keys || !SameKeyText(column.value(data), wanted[next++])) return false;
    }
    return next == Keys;
}

}  // namespace norv
