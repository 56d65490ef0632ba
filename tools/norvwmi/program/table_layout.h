// Laying out rows of cells as a text table: a heading line, a line of dashes, one line per
// row; each column as wide as its widest cell, two blanks between columns, no blanks at a
// line's end. A column may cap its width: a longer cell is cut and ends with an ellipsis.
// Widths count code points of the UTF-8 text.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norvwmi {

enum class Align { Left, Right };

struct TableColumn {
    std::string_view heading;
    Align align = Align::Left;
    std::size_t maxWidth = 0;  // 0: as wide as the widest cell
};

using TableRow = std::vector<std::string>;  // one cell per column

// The text cut to `width` code points, its last one an ellipsis when something was cut;
// control characters become blanks so that a cell stays on its line.
std::string FitCell(std::string_view utf8, std::size_t width);

std::string LayOutTable(std::span<const TableColumn> columns, std::span<const TableRow> rows);

}  // namespace norvwmi
