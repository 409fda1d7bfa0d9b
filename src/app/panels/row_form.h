// What the layer form and the target form share: a form that shows the
// selected row of its table, and the entry typed into it that is not in the
// table yet.
//
// The form "holds edits" while it differs from what it showed when it last
// agreed with the table (a row shown, added or updated). Whenever the level
// or the selection changes, whoever changed it, the form follows the
// selected row unless it holds edits: follow() is the one place that
// decides it.
#pragma once

#include <optional>

#include "app/form_baseline.h"
#include "app/panels/table_list.h"
#include "document/level_document.h"

namespace kes::editor {

template <typename Form, typename Entry>
class RowForm {
public:
    RowForm(LevelDocument& document, LevelTable table, QListWidget& list, typename TableList<Entry>::ShowRow showRow)
        : document_(document), table_(table), list_(list, showRow)
    {
    }
    virtual ~RowForm() = default;

    // The form as the designer typed it, and showing a form.
    virtual Form form() const = 0;
    virtual void showForm(const Form& form) = 0;

    const TableList<Entry>& list() const { return list_; }

    bool holdsEdits() const { return baseline_.differs(form()); }
    // The row the form showed when it last agreed with the table: the
    // selected row, or -1 for an entry of its own.
    int shownRow() const { return baseline_.row(); }

    // The entry the form holds that is not in the table: its edits, while
    // they make a complete entry.
    std::optional<Entry> draft() const
    {
        const Form current = form();
        if (!baseline_.differs(current))
            return std::nullopt;
        return entryFrom(current);
    }

    // The form shows row `row` of the table.
    void showRow(int row)
    {
        if (row < 0 || row >= document_.rowCount(table_))
            return;
        showForm(formFrom(entryAt(row)));
        baseline_.set(row, form());
    }

    // What the form holds is in the table now (added, updated).
    void applied() { baseline_.set(document_.selectedRow(table_), form()); }

    // The table's rows `first` to `last` changed.
    void rowsChanged(int first, int last)
    {
        list_.showRows(table(), first, last);
        list_.select(document_.selectedRow(table_));
        const int row = document_.selectedRow(table_);
        if (row >= first && row <= last)
            follow();
    }

    void selectionChanged()
    {
        const int row = document_.selectedRow(table_);
        list_.select(row);
        if (row < 0)
            baseline_.set(-1, form()); // what the form holds stays, as its own
        else
            follow();
    }

    void levelReset()
    {
        list_.showAll(table());
        list_.select(-1);
        baseline_.set(-1, form());
    }

protected:
    LevelDocument& document() const { return document_; }
    // The entry of a complete form; none for an incomplete one.
    virtual std::optional<Entry> entryFrom(const Form& form) const = 0;
    virtual Form formFrom(const Entry& entry) const = 0;

private:
    const FixedTable<Entry>& table() const
    {
        if constexpr (std::is_same_v<Entry, LayerEntry>)
            return document_.layers();
        else
            return document_.targets();
    }
    const Entry& entryAt(int row) const { return table().at(row); }

    // The form follows the selected row unless it holds edits.
    void follow()
    {
        const int row = document_.selectedRow(table_);
        if (holdsEdits()) {
            baseline_.setRow(row);
            return;
        }
        showRow(row);
    }

    LevelDocument& document_;
    LevelTable table_;
    TableList<Entry> list_;
    FormBaseline<Form> baseline_;
};

} // namespace kes::editor
