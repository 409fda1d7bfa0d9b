// The undoable changes of a table row that "Update", the move buttons and
// "Relink" make: an entry replaced in its place, and two neighbouring entries
// swapped.
#pragma once

#include <QString>
#include <QUndoCommand>

#include "app/table_rows.h"

namespace kes::editor {

// Replaces the entry at `row`; undo puts the one before back.
template <typename Entry>
class ReplaceRowCommand : public QUndoCommand {
public:
    ReplaceRowCommand(TableRows<Entry>& rows, int row, const Entry& entry, const QString& text,
                      QUndoCommand* parent = nullptr)
        : QUndoCommand(text, parent), rows_(rows), row_(row), before_(rows.table().at(row)), after_(entry)
    {
    }
    void redo() override { rows_.replace(row_, after_); }
    void undo() override { rows_.replace(row_, before_); }

private:
    TableRows<Entry>& rows_;
    int row_;
    Entry before_;
    Entry after_;
};

// Swaps the entries at `row` and `to`; a selected row moves with its entry.
template <typename Entry>
class MoveRowCommand : public QUndoCommand {
public:
    MoveRowCommand(TableRows<Entry>& rows, int row, int to, const QString& text)
        : QUndoCommand(text), rows_(rows), row_(row), to_(to)
    {
    }
    void redo() override { rows_.swap(row_, to_); }
    void undo() override { rows_.swap(to_, row_); }

private:
    TableRows<Entry>& rows_;
    int row_;
    int to_;
};

} // namespace kes::editor
