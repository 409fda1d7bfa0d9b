#include "app/window_stretch.h"

#include <algorithm>
#include <vector>

#include <QEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QWidget>

namespace kes::editor {
namespace {

// How a control follows the extra height: it moves down by the first
// fraction of it and grows by the second.
struct Follow {
    double move = 0, grow = 0;
};

struct Placed {
    QWidget* widget;
    QRect base;
    Follow follow;
};

class Stretcher : public QObject {
public:
    Stretcher(QWidget& dialog, const DialogUnits& units, const QSize& formSize)
        : QObject(&dialog), dialog_(dialog), baseHeight_(formSize.height())
    {
        const QRect form(QPoint(0, 0), formSize);
        for (QObject* child : dialog.children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (widget && !widget->isWindow() && form.contains(widget->geometry()))
                placed_.push_back({widget, widget->geometry(), followOf(*widget, units)});
        }
        dialog.installEventFilter(this);
        place();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &dialog_ && event->type() == QEvent::Resize)
            place();
        return QObject::eventFilter(watched, event);
    }

private:
    // The layout's zones, in dialog units: the settings groups above y 69
    // stay; the layers group (to y 197) takes two thirds of the extra
    // height, in its list and its group box, and the buttons at the list's
    // foot (left of x 152, below y 150) move down with it; the targets group
    // (to y 245) moves down that far and takes the last third; the buttons at
    // the bottom move down by all of it.
    static Follow followOf(const QWidget& widget, const DialogUnits& u)
    {
        const QRect r = widget.geometry();
        const bool grows = qobject_cast<const QGroupBox*>(&widget) || qobject_cast<const QListWidget*>(&widget);
        const double layers = 2.0 / 3, targets = 1.0 / 3;
        if (r.y() >= u.toPixelsY(245))
            return {1, 0};
        if (r.y() < u.toPixelsY(69))
            return {};
        if (r.y() >= u.toPixelsY(197))
            return {layers, grows ? targets : 0};
        if (grows)
            return {0, layers};
        if (r.x() < u.toPixelsX(152) && r.y() >= u.toPixelsY(150))
            return {layers, 0};
        return {};
    }

    void place()
    {
        const int dy = std::max(0, dialog_.height() - baseHeight_);
        for (const Placed& p : placed_) {
            p.widget->setGeometry(p.base.x(), p.base.y() + int(dy * p.follow.move), p.base.width(),
                                  p.base.height() + int(dy * p.follow.grow));
        }
    }

    QWidget& dialog_;
    int baseHeight_;
    std::vector<Placed> placed_;
};

} // namespace

void stretchWithWindow(QWidget& dialog, const DialogUnits& units, const QSize& formSize)
{
    new Stretcher(dialog, units, formSize);
}

} // namespace kes::editor
