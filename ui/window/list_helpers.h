// Helpers for report-style lists (QTreeWidget rows without children): column widths from
// a width table, selection, search and rows whose first column keeps its exact bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QFontMetrics;
class QHeaderView;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace tf {

// Sets the widths of `header`'s columns for a list `clientWidth` wide from `table` (see
// ComputeColumnWidths); `subtractScrollBar` keeps room for a vertical scroll bar.
void SetColumnWidths(QHeaderView* header, int clientWidth, const std::vector<int>& table,
                     bool subtractScrollBar);
// The pixel entries of a width table were chosen for an 8-point dialog font whose
// characters average 5 pixels; a wider font widens them in proportion, so that sizes and
// dates are not cut. Percentages and the end mark stay as they are.
std::vector<int> ScaleColumnTable(std::vector<int> table, const QFontMetrics& metrics);
// The same for a list, over the width of its viewport.
void SetColumnWidths(QTreeView* list, const std::vector<int>& table, bool subtractScrollBar);

// Adds a row whose first column shows `text` (UTF-8; invalid bytes show as replacement
// characters but are kept) with an attached value, at `index` or at the end for -1 or
// an index past the end. Returns the row's index.
int AddRow(QTreeWidget* list, const std::string& text, int64_t value, int index);
// The exact first-column bytes of a row (those given to AddRow, else its UTF-8 text).
std::string RowText(const QTreeWidgetItem* row);
int64_t RowValue(const QTreeWidgetItem* row);

// Appends the first-column text of every selected row, in row order; returns how many.
int GetSelectedTexts(QTreeWidget* list, std::vector<std::string>* texts);
// Selects and focuses row `index` (past the end: row 0; equal to the count: the last
// row), scrolling it into view when asked. Returns the number of selected rows.
int SelectRow(QTreeWidget* list, int index, bool makeVisible);
// The first row after `start` (-1: from the top) whose first column is exactly `text`,
// or -1; an empty text finds nothing. `value` (may be null) gets the row's value.
int FindRow(QTreeWidget* list, const std::string& text, int start, int64_t* value);

}  // namespace tf
