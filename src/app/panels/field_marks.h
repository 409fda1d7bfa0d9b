// The mark on a field whose text won't give what was typed: a red frame and
// the reason as tooltip for a problem, an amber frame for a note, nothing for
// a field whose text is fine. The field's own tooltip comes back when the
// mark goes.
#pragma once

#include "check/field_checks.h"

class QWidget;

namespace kes::editor {

void markField(QWidget* field, const FieldCheck& check);

} // namespace kes::editor
