#include "app/whole_text_tip.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QStyle>
#include <QToolTip>

namespace kes::editor {
namespace {

// QLineEdit keeps this much room between its frame and its text, on each
// side.
constexpr int kTextMargin = 2;

class WholeTextTip : public QObject {
public:
    explicit WholeTextTip(QLineEdit& field) : QObject(&field), field_(field) { field.installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &field_ || event->type() != QEvent::ToolTip || showsWholeText(field_))
            return false;
        const QString own = field_.toolTip();
        const QString tip = own.isEmpty() ? field_.text() : field_.text() + "\n\n" + own;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, &field_);
        return true;
    }

private:
    QLineEdit& field_;
};

} // namespace

bool showsWholeText(const QLineEdit& field)
{
    const QMargins margins = field.textMargins();
    const int frame = field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &field) : 0;
    const int room = field.contentsRect().width() - margins.left() - margins.right() - 2 * frame - 2 * kTextMargin;
    return field.fontMetrics().horizontalAdvance(field.text()) <= room;
}

void showWholeTextInTip(QLineEdit& field)
{
    new WholeTextTip(field);
}

} // namespace kes::editor
