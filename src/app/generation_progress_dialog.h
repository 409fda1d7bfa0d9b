// The dialog that a long level generation shows while it runs: which layer is
// being written, a bar, and "Cancel". It appears only once a generation has
// run for a moment, so that a quick one shows nothing; it is modal, and the
// editor stays as it is until the generation has finished. "Cancel" (or
// Escape) asks the generation to stop at its next part.
#pragma once

#include <atomic>

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

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
    // disappears. begin() clears an earlier cancel.
    void begin();
    void end();

    // Shows that layer `layer` (0-based) of `layerCount` is being written:
    // "Writing layer 3 of 12". Emits progressShown() afterwards.
    void showLayer(int layer, int layerCount);

    // Set by "Cancel" and Escape from begin() on, for the generation to look
    // at (GenerationOptions::cancel); the dialog then says "Cancelling...".
    const std::atomic<bool>* cancelFlag() const { return &cancelled_; }
    // Whether the user cancelled since the last begin(), also after end().
    bool cancelRequested() const { return cancelled_.load(); }
    // What "Cancel" and Escape do while running.
    void requestCancel();
    QPushButton* cancelButton() const { return cancelButton_; }

    int showDelay() const { return showTimer_.interval(); }
    void setShowDelay(int milliseconds) { showTimer_.setInterval(milliseconds); }

    QString labelText() const;
    int value() const;
    int maximum() const;

signals:
    // The text and the bar have just changed.
    void progressShown();

protected:
    // Escape cancels; the close box does nothing.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancelButton_;
    QTimer showTimer_;
    bool running_ = false;
    std::atomic<bool> cancelled_{false};
};

} // namespace kes::editor
