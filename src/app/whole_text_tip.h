// A field too narrow for its text shows the whole text first in its tooltip,
// above the tooltip it has at the moment (its help, or the reason of a mark).
#pragma once

class QLineEdit;

namespace kes::editor {

// From now on, for `field`; the field owns what this installs.
void showWholeTextInTip(QLineEdit& field);

// Whether `field` shows all of its text, in its current width and font.
bool showsWholeText(const QLineEdit& field);

} // namespace kes::editor
