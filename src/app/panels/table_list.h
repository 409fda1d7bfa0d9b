// A list widget that shows one table of the level document, row for row. It
// is a view: it shows what the document holds and the document's selection,
// and never notifies while it does.
#pragma once

#include <QListWidget>
#include <QSignalBlocker>

#include "model/level_model.h"

namespace kes::editor {

template <typename Entry>
class TableList {
public:
    // Shows entry `entry` in row `row` of the list (a row equal to the list's
    // count is added at the end): its text, tooltip and look.
    using ShowRow = void (*)(QListWidget& list, int row, const Entry& entry);

    TableList(QListWidget& list, ShowRow showRow) : list_(list), showRow_(showRow) {}

    QListWidget& list() const { return list_; }

    // The row the designer selected in the list; -1 for none.
    int selectedRow() const
    {
        const QModelIndexList rows = list_.selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }

    // Rows `first` to `last` of `table` changed (its count may have too).
    void showRows(const FixedTable<Entry>& table, int first, int last)
    {
        const QSignalBlocker quiet(&list_);
        while (list_.count() > table.count())
            delete list_.takeItem(list_.count() - 1);
        for (int row = first; row <= last && row < table.count(); ++row)
            showRow_(list_, row, table.at(row));
    }

    void showAll(const FixedTable<Entry>& table) { showRows(table, 0, table.count() - 1); }

    // Selects `row` (-1: none).
    void select(int row) const
    {
        const QSignalBlocker quiet(&list_);
        if (row < 0) {
            list_.setCurrentRow(-1);
            list_.clearSelection();
        } else {
            list_.setCurrentRow(row);
        }
    }

private:
    QListWidget& list_;
    ShowRow showRow_;
};

} // namespace kes::editor
