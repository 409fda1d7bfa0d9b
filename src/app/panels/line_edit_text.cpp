#include "app/panels/line_edit_text.h"

#include <QLineEdit>

#include "model/number_text.h"

namespace kes::editor {

std::string fieldText(const QLineEdit* edit)
{
    return capText(edit->text().toStdString());
}

void setFieldText(QLineEdit* edit, const std::string& text)
{
    edit->setText(QString::fromStdString(text));
    edit->setCursorPosition(0);
}

} // namespace kes::editor
