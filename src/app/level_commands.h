// The changes to the level that the editor can undo and redo, as commands of
// its QUndoStack: a layer or target added or removed, and the text of one
// setting edited.
//
// A table command changes a table through its TableRows, so that table and
// list never disagree. Another kind of table change (an entry replaced, an
// entry moved) is one more subclass of TableCommand with its own redo() and
// undo() on top of TableRows.
#pragma once

#include <functional>

#include <QString>
#include <QUndoCommand>

#include "app/table_rows.h"

class QLineEdit;

namespace kes::editor {

template <typename Entry>
class TableCommand : public QUndoCommand {
protected:
    TableCommand(TableRows<Entry>& rows, const QString& text) : QUndoCommand(text), rows_(rows) {}
    TableRows<Entry>& rows_;
};

// Puts `entry` at `row` (the end of the table for an "< Add <").
template <typename Entry>
class AddRowCommand : public TableCommand<Entry> {
public:
    AddRowCommand(TableRows<Entry>& rows, int row, const Entry& entry, const QString& text)
        : TableCommand<Entry>(rows, text), row_(row), entry_(entry)
    {
    }
    void redo() override { this->rows_.insert(row_, entry_); }
    void undo() override { this->rows_.remove(row_); }

private:
    int row_;
    Entry entry_;
};

// Takes the entry at `row` out of the table; undo puts it back in its place.
template <typename Entry>
class RemoveRowCommand : public TableCommand<Entry> {
public:
    RemoveRowCommand(TableRows<Entry>& rows, int row, const QString& text)
        : TableCommand<Entry>(rows, text), row_(row), entry_(rows.table().at(row))
    {
    }
    void redo() override { this->rows_.remove(row_); }
    void undo() override { this->rows_.insert(row_, entry_); }

private:
    int row_;
    Entry entry_;
};

// One edit of a setting's text. It is made after the text has changed, so
// its first redo() does nothing. Further changes of the same field merge into
// it until the edit is closed (the field lost the focus, the level was
// saved): one undo step per edited field, not per key. An edit that brings
// the text back to where it started is dropped.
class SettingTextCommand : public QUndoCommand {
public:
    // Sets a field's text without making a new command.
    using ShowText = std::function<void(QLineEdit* field, const QString& text)>;

    SettingTextCommand(QLineEdit* field, QString before, QString after, ShowText show);

    static constexpr int kId = 1;
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand* other) override;
    void redo() override;
    void undo() override;

    QLineEdit* field() const { return field_; }
    void close() { closed_ = true; }

private:
    QLineEdit* field_;
    QString before_;
    QString after_;
    ShowText show_;
    bool alreadyShown_ = true; // made after the change
    bool closed_ = false;
};

} // namespace kes::editor
