// One table of the level together with the list that mirrors it: row i of the
// list always shows entry i. The layer and the target table of the main
// dialog are both edited through this one piece of code.
#pragma once

#include <string>
#include <utility>

#include <QListWidget>
#include <QSignalBlocker>

#include "model/level_model.h"

namespace kes::editor {

template <typename Entry>
class TableRows {
public:
    using RowText = std::string (*)(const Entry&);
    // Shows entry `entry` in row `row` of the list: its text and its look.
    using ShowRow = void (*)(QListWidget& list, int row, const Entry& entry);

    // `limitText` and `limitCaption` are the message shown when an entry is
    // added to a full table.
    TableRows(FixedTable<Entry>& table, QListWidget& list, RowText rowText, std::string limitText,
              std::string limitCaption)
        : table_(table), list_(list), rowText_(rowText), limitText_(std::move(limitText)),
          limitCaption_(std::move(limitCaption))
    {
    }

    // Rows are shown by `show` from now on (their text, tooltip and look),
    // not by their text alone.
    void setRowLook(ShowRow show)
    {
        showRow_ = show;
        refill();
    }

    const FixedTable<Entry>& table() const { return table_; }
    QListWidget& list() const { return list_; }
    bool isFull() const { return table_.count() >= kTableCapacity; }
    const std::string& limitText() const { return limitText_; }
    const std::string& limitCaption() const { return limitCaption_; }

    // The selected row; -1 when none.
    int selectedRow() const
    {
        const QModelIndexList rows = list_.selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }

    // Puts the entry at `row` (0 to count(); count() appends); later entries
    // move down one place. The list notifies nothing and keeps its selection
    // on the rows it was on. False, and nothing changes, when the table is
    // full or the row is outside it.
    bool insert(int row, const Entry& entry)
    {
        if (isFull() || row < 0 || row > table_.count())
            return false;
        FixedTable<Entry> rebuilt;
        for (int i = 0; i < table_.count(); ++i) {
            if (i == row)
                rebuilt.append(entry);
            rebuilt.append(table_.at(i));
        }
        if (row == table_.count())
            rebuilt.append(entry);
        table_ = rebuilt;
        const QSignalBlocker block(&list_);
        list_.insertItem(row, QString::fromStdString(rowText_(entry)));
        showRow(row);
        return true;
    }

    // Replaces the entry at `row`. The list keeps its selection and notifies
    // nothing.
    void replace(int row, const Entry& entry)
    {
        if (row < 0 || row >= table_.count())
            return;
        table_.at(row) = entry;
        const QSignalBlocker block(&list_);
        list_.item(row)->setText(QString::fromStdString(rowText_(entry)));
        showRow(row);
    }

    // Swaps the entries at `a` and `b`; when one of the two rows is selected,
    // the selection moves with its entry. Notifies nothing.
    void swap(int a, int b)
    {
        if (a < 0 || b < 0 || a >= table_.count() || b >= table_.count() || a == b)
            return;
        const int selected = selectedRow();
        std::swap(table_.at(a), table_.at(b));
        const QSignalBlocker block(&list_);
        for (int row : {a, b}) {
            list_.item(row)->setText(QString::fromStdString(rowText_(table_.at(row))));
            showRow(row);
        }
        if (selected == a || selected == b)
            list_.setCurrentRow(selected == a ? b : a);
    }

    // Removes the entry at `row`; later entries move up one place. The list
    // would select a neighbour of the removed row; it is left with none
    // selected, and notifies nothing.
    void remove(int row)
    {
        if (row < 0 || row >= table_.count())
            return;
        table_.removeAt(row);
        const QSignalBlocker block(&list_);
        delete list_.takeItem(row);
        list_.setCurrentRow(-1);
        list_.clearSelection();
    }

    // Replaces the whole table and refills the list, which then has no
    // selected row and notifies nothing.
    void assign(const FixedTable<Entry>& table)
    {
        table_ = table;
        refill();
    }

    // Fills the list anew from the table, without notifying.
    void refill()
    {
        const QSignalBlocker block(&list_);
        list_.clear();
        for (int i = 0; i < table_.count(); ++i) {
            list_.addItem(QString::fromStdString(rowText_(table_.at(i))));
            showRow(i);
        }
    }

private:
    void showRow(int row)
    {
        if (showRow_)
            showRow_(list_, row, table_.at(row));
    }

    FixedTable<Entry>& table_;
    QListWidget& list_;
    RowText rowText_;
    std::string limitText_;
    std::string limitCaption_;
    ShowRow showRow_ = nullptr;
};

} // namespace kes::editor
