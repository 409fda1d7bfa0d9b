#include "app/preview/preview_dock.h"

#include <QDialog>
#include <QEvent>
#include <QToolButton>

#include "app/preview/preview_pane.h"

namespace kes::editor {
namespace {

constexpr int kToggleWidth = 14;
constexpr int kPaneWidth = 520;
constexpr int kPaneMinimumWidth = 240;

// Keeps the pane and the toggle in place as the dialog is resized.
class DockLayout : public QObject {
public:
    DockLayout(QDialog& dialog, PreviewPane& pane, QToolButton& toggle, const QSize& formSize)
        : QObject(&dialog), dialog_(dialog), pane_(pane), toggle_(toggle), form_(formSize)
    {
        dialog.installEventFilter(this);
    }

    void setPaneShown(bool shown)
    {
        const int formAndToggle = form_.width() + kToggleWidth;
        toggle_.setArrowType(shown ? Qt::RightArrow : Qt::LeftArrow);
        toggle_.setToolTip(shown ? QStringLiteral("Hide the level preview") : QStringLiteral("Show the level preview"));
        if (shown) {
            dialog_.setMinimumSize(formAndToggle + kPaneMinimumWidth, form_.height());
            dialog_.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            pane_.show();
            const int paneWidth = lastPaneWidth_ > 0 ? lastPaneWidth_ : kPaneWidth;
            dialog_.resize(formAndToggle + paneWidth, shownBefore_ ? std::max(dialog_.height(), form_.height())
                                                                   : form_.height());
            shownBefore_ = true;
        } else {
            if (pane_.isVisible())
                lastPaneWidth_ = pane_.width();
            pane_.hide();
            dialog_.setMinimumSize(formAndToggle, form_.height());
            dialog_.setMaximumSize(formAndToggle, form_.height());
            dialog_.resize(formAndToggle, form_.height());
        }
        place();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &dialog_ && event->type() == QEvent::Resize)
            place();
        return false;
    }

private:
    void place()
    {
        toggle_.parentWidget()->setGeometry(form_.width(), 0, kToggleWidth, dialog_.height());
        toggle_.setGeometry(0, 0, kToggleWidth, dialog_.height());
        pane_.setGeometry(form_.width() + kToggleWidth, 0,
                          std::max(dialog_.width() - form_.width() - kToggleWidth, 0), dialog_.height());
    }

    QDialog& dialog_;
    PreviewPane& pane_;
    QToolButton& toggle_;
    QSize form_;
    int lastPaneWidth_ = 0;
    bool shownBefore_ = false;
};

} // namespace

QToolButton* dockPreviewPane(QDialog& dialog, PreviewPane& pane, const QSize& formSize)
{
    // The toggle stands in a strip of its own between the form and the pane;
    // it comes after the form's controls in the tab order.
    auto* strip = new QWidget(&dialog);
    auto* toggle = new QToolButton(strip);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    toggle->setAutoRaise(true);
    toggle->setFocusPolicy(Qt::TabFocus);
    toggle->setAccessibleName(QStringLiteral("Show level preview"));
    auto* layout = new DockLayout(dialog, pane, *toggle, formSize);
    QObject::connect(toggle, &QToolButton::toggled, &dialog, [layout](bool shown) { layout->setPaneShown(shown); });
    layout->setPaneShown(true);
    return toggle;
}

} // namespace kes::editor
