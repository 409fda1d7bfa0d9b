#include "app/panels/field_marks.h"

#include <QString>
#include <QVariant>
#include <QWidget>

namespace kes::editor {
namespace {

constexpr char kOwnTip[] = "kesOwnToolTip"; // a marked field's tooltip while the mark shows

} // namespace

void markField(QWidget* field, const FieldCheck& check)
{
    const char* colour = check.mark == FieldCheck::Mark::Problem ? "#d02020"
        : check.mark == FieldCheck::Mark::Note                  ? "#d08a00"
                                                                 : nullptr;
    const bool marked = !field->property(kOwnTip).isNull();
    if (!colour && !marked)
        return;
    if (!marked)
        field->setProperty(kOwnTip, field->toolTip());
    const QString own = field->property(kOwnTip).toString();
    const QString style = colour ? QString("QLineEdit { border: 2px solid %1; }").arg(colour) : QString();
    if (field->styleSheet() != style)
        field->setStyleSheet(style);
    const QString reason = QString::fromStdString(check.reason);
    const QString tip = !colour ? own : own.isEmpty() ? reason : reason + "\n\n" + own;
    if (field->toolTip() != tip)
        field->setToolTip(tip);
    if (!colour)
        field->setProperty(kOwnTip, QVariant());
}

} // namespace kes::editor
