#include "program/table_layout.h"

#include <algorithm>
#include <limits>

namespace norvwmi {

namespace {

constexpr std::string_view kEllipsis = "\u2026";
constexpr std::string_view kColumnGap = "  ";

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

std::size_t CodePoints(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return !IsContinuationByte(c); }));
}

// The bytes of the first `count` code points.
std::string_view FirstCodePoints(std::string_view utf8, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t seen = 0; end < utf8.size(); ++end) {
        if (!IsContinuationByte(utf8[end]) && seen++ == count) break;
    }
    return utf8.substr(0, end);
}

std::size_t Limit(const TableColumn& column) {
    return column.maxWidth == 0 ? std::numeric_limits<std::size_t>::max() : column.maxWidth;
}

void AppendLine(std::string& text, std::span<const TableColumn> columns,
                std::span<const std::size_t> widths, std::span<const std::string> cells) {
    std::string line;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string cell = FitCell(i < cells.size() ? cells[i] : "", widths[i]);
        const std::string padding(widths[i] - CodePoints(cell), ' ');
        if (i > 0) line += kColumnGap;
        line += columns[i].align == Align::Right ? padding + cell : cell + padding;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
}

}  // namespace

std::string FitCell(std::string_view utf8, std::size_t width) {
    const bool cut = CodePoints(utf8) > width;
    std::string text(cut ? FirstCodePoints(utf8, width == 0 ? 0 : width - 1) : utf8);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    if (cut && width > 0) text += kEllipsis;
    return text;
}

std::string LayOutTable(std::span<const TableColumn> columns, std::span<const TableRow> rows) {
    std::vector<std::size_t> widths;
    std::vector<std::string> headings, dashes;
    for (const TableColumn& column : columns) {
        std::size_t width = CodePoints(column.heading);
        for (const TableRow& row : rows)
            if (widths.size() < row.size()) width = std::max(width, CodePoints(row[widths.size()]));
        widths.push_back(std::min(width, Limit(column)));
        headings.emplace_back(column.heading);
        dashes.emplace_back(widths.back(), '-');
    }
    std::string text;
    AppendLine(text, columns, widths, headings);
    AppendLine(text, columns, widths, dashes);
    for (const TableRow& row : rows) AppendLine(text, columns, widths, row);
    return text;
}

}  // namespace norvwmi
