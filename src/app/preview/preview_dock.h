// Puts the preview pane beside the editor's form: the window becomes
// resizable and the pane takes the extra room; a toggle at the form's edge
// hides the pane, and the window shrinks back to the form.
#pragma once

#include <QSize>

class QDialog;
class QToolButton;

namespace kes::editor {

class PreviewPane;

// Places `pane` (a child of `dialog`) to the right of the form, which fills
// `formSize` at the dialog's top left, with the toggle between the two. The
// pane is shown.
QToolButton* dockPreviewPane(QDialog& dialog, PreviewPane& pane, const QSize& formSize);

} // namespace kes::editor
