// The text of a line edit as the level holds it, and showing a text in one.
#pragma once

#include <string>

class QLineEdit;

namespace kes::editor {

// The edit's text, cut to the 249 bytes a project holds.
std::string fieldText(const QLineEdit* edit);
// Shows `text` from its start (a long text shows its beginning).
void setFieldText(QLineEdit* edit, const std::string& text);

} // namespace kes::editor
