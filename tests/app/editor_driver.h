// Drives the editor's real widgets as a user would: typing, clicking,
// choosing rows, and checks that each list mirrors its table.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include "app/dialog_description.h"
#include "app/layer_form.h"
#include "app/main_dialog.h"
#include "app/target_form.h"

namespace kes::editor_test {

using namespace kes::editor;

inline QLineEdit* edit(const MainDialog& dialog, int id) { return dialog.controlAs<QLineEdit>(id); }
inline QPushButton* button(const MainDialog& dialog, int id) { return dialog.controlAs<QPushButton>(id); }
inline QListWidget* listOf(const MainDialog& dialog, int id) { return dialog.controlAs<QListWidget>(id); }
inline QComboBox* comboOf(const MainDialog& dialog, int id) { return dialog.controlAs<QComboBox>(id); }
inline QCheckBox* checkBox(const MainDialog& dialog, int id) { return dialog.controlAs<QCheckBox>(id); }

inline QString textOf(const MainDialog& dialog, int id) { return edit(dialog, id)->text(); }
inline bool isEnabled(const MainDialog& dialog, int id) { return dialog.control(id)->isEnabled(); }

// Shows the dialog and waits until it is the active window, so that focus
// changes happen as on a desktop.
inline bool showAndActivate(MainDialog& dialog)
{
    dialog.show();
    return QTest::qWaitForWindowActive(&dialog);
}

// Types `text` into the widget with the keyboard; characters beyond ASCII
// arrive as a key event that carries only the character.
inline void typeKeys(QWidget* widget, const QString& text)
{
    for (QChar character : text) {
        if (character.unicode() < 128)
            QTest::keyClick(widget, character.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
}

// Replaces the text of an edit by typing, as a user who clicks into the edit
// (which takes the focus from where it was), selects all and types, or
// erases when `text` is empty. With `takeFocus` false the keys go to the edit
// while the focus stays where it is. A disabled edit ignores the keys.
inline void typeInto(MainDialog& dialog, int id, const QString& text, bool takeFocus = true)
{
    QLineEdit* field = edit(dialog, id);
    if (takeFocus)
        field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        typeKeys(field, text);
}

inline void click(MainDialog& dialog, int id)
{
    QTest::mouseClick(dialog.control(id), Qt::LeftButton);
}

// Picks row `row` of a drop-down list with the keyboard (it takes the focus).
inline void chooseRow(MainDialog& dialog, int id, int row)
{
    QComboBox* combo = comboOf(dialog, id);
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < row; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

// Sets a check box with the space bar (it takes the focus).
inline void setChecked(MainDialog& dialog, int id, bool checked)
{
    QCheckBox* box = checkBox(dialog, id);
    box->setFocus(Qt::TabFocusReason);
    if (box->isChecked() != checked)
        QTest::keyClick(box, Qt::Key_Space);
}

// Clicks row `row` of a list.
inline void clickRow(MainDialog& dialog, int id, int row)
{
    QListWidget* rows = listOf(dialog, id);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(rows->item(row)).center());
}

inline void doubleClickRow(MainDialog& dialog, int id, int row)
{
    QListWidget* rows = listOf(dialog, id);
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(rows->item(row)).center());
}

inline QStringList rowTexts(const MainDialog& dialog, int id)
{
    QStringList texts;
    QListWidget* rows = listOf(dialog, id);
    for (int i = 0; i < rows->count(); ++i)
        texts << rows->item(i)->text();
    return texts;
}

inline int selectedRowOf(const MainDialog& dialog, int id)
{
    const QModelIndexList rows = listOf(dialog, id)->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

// Empty when each list has exactly its table's count rows and row i shows
// entry i; otherwise what differs.
inline QString listsMismatch(const MainDialog& dialog)
{
    QStringList layers;
    for (int i = 0; i < dialog.document().layers().count(); ++i)
        layers << QString::fromStdString(layerRowText(dialog.document().layers().at(i)));
    QStringList targets;
    for (int i = 0; i < dialog.document().targets().count(); ++i)
        targets << QString::fromStdString(targetRowText(dialog.document().targets().at(i)));
    QString mismatch;
    if (rowTexts(dialog, kLayerList) != layers)
        mismatch += "layer rows [" + rowTexts(dialog, kLayerList).join('|') + "] but entries [" + layers.join('|') + "] ";
    if (rowTexts(dialog, kTargetList) != targets)
        mismatch += "target rows [" + rowTexts(dialog, kTargetList).join('|') + "] but entries ["
            + targets.join('|') + "]";
    return mismatch;
}

// Types a whole layer form, each field while the field is enabled: the motion
// fields under kinds that use them, BMP File while "Draw" is checked; then
// sets the check boxes and picks the form's kind.
inline void typeLayerForm(MainDialog& dialog, const LayerForm& form)
{
    chooseRow(dialog, kLayerKind, 3); // Trigger: Speed, Frames, Trigger Area
    typeInto(dialog, kSpeed, QString::fromStdString(form.speed));
    typeInto(dialog, kFramesTillReset, QString::fromStdString(form.framesTillReset));
    typeInto(dialog, kTriggerArea, QString::fromStdString(form.triggerArea));
    chooseRow(dialog, kLayerKind, 2); // Vibrating: Vibration Width
    typeInto(dialog, kVibration, QString::fromStdString(form.vibration));
    setChecked(dialog, kDraw, true);
    typeInto(dialog, kBmpFile, QString::fromStdString(form.bmpPath));
    setChecked(dialog, kDraw, form.draw);
    setChecked(dialog, kCollision, form.collision);
    typeInto(dialog, kObjFile, QString::fromStdString(form.objPath));
    chooseRow(dialog, kLayerKind, form.kind);
}

// Types a target form and picks its kind.
inline void typeTargetForm(MainDialog& dialog, const QString& position, int kind)
{
    typeInto(dialog, kPosition, position);
    chooseRow(dialog, kTargetKind, kind);
}

} // namespace kes::editor_test
