// The dialog that a long level generation shows while it runs: which layer is
// being written, and a bar. It appears only once a generation has run for a
// moment, so that a quick one shows nothing; it is modal, and the user can't
// close it: a generation can't be stopped, and the editor must stay as it is
// until the generation has finished.
#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;

namespace kes::editor {

class GenerationProgressDialog : public QDialog {
    Q_OBJECT

public:
    // How long a generation runs before the dialog appears, by default.
    static constexpr int kDefaultShowDelayMs = 500;

    // A hidden dialog, owned by `owner`, the window whose command generates.
    explicit GenerationProgressDialog(QWidget* owner);
    ~GenerationProgressDialog() override;

    // From begin() to end(), user input (keys, mouse buttons, the wheel) to
    // every window but this dialog is dropped, the owner refuses to close,
    // and this dialog appears, modal, once `showDelay` milliseconds have
    // passed. Call end() when the generation has finished: the dialog
    // disappears.
    void begin();
    void end();

    // Shows that layer `layer` (0-based) of `layerCount` is being written:
    // "Writing layer 3 of 12". Emits progressShown() afterwards.
    void showLayer(int layer, int layerCount);

    int showDelay() const { return showTimer_.interval(); }
    void setShowDelay(int milliseconds) { showTimer_.setInterval(milliseconds); }

    QString labelText() const;
    int value() const;
    int maximum() const;

signals:
    // The text and the bar have just changed.
    void progressShown();

protected:
    // Escape and the close box do nothing.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* label_;
    QProgressBar* bar_;
    QTimer showTimer_;
    bool running_ = false;
};

} // namespace kes::editor
