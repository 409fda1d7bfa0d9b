#include "app/dialog_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace kes::editor {
namespace {

// Reports a list gaining or losing the keyboard focus as a command.
class FocusNotifier : public QObject {
public:
    FocusNotifier(QObject* parent, int id, std::function<void(int)> onCommand)
        : QObject(parent), id_(id), onCommand_(std::move(onCommand))
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            onCommand_(id_);
        return QObject::eventFilter(watched, event);
    }

private:
    int id_;
    std::function<void(int)> onCommand_;
};

// The layout was drawn for a font whose punctuation is narrow; many desktop
// fonts are wider than their average letter suggests. Shrink the font of a
// caption that its rectangle would cut, in small steps down to 70 %.
void shrinkFontToFit(QWidget* widget, const QString& caption, int width)
{
    QFont font = widget->font();
    const bool inPoints = font.pointSizeF() > 0;
    const double size = inPoints ? font.pointSizeF() : font.pixelSize();
    for (double scaled = size; QFontMetrics(font).horizontalAdvance(caption) > width && scaled > size * 0.7;) {
        scaled -= size * 0.025;
        if (inPoints)
            font.setPointSizeF(scaled);
        else
            font.setPixelSize(static_cast<int>(scaled));
    }
    if (font != widget->font())
        widget->setFont(font);
}

QWidget* createControl(QWidget& dialog, const ControlDescription& control,
                       const std::function<void(int)>& onCommand)
{
    const QString caption = QString::fromUtf8(control.caption);
    const int id = control.id;
    switch (control.kind) {
    case ControlKind::PushButton: {
        auto* button = new QPushButton(caption, &dialog);
        button->setAutoDefault(false);
        button->setDefault(false);
        QObject::connect(button, &QPushButton::clicked, &dialog, [onCommand, id] { onCommand(id); });
        return button;
    }
    case ControlKind::Label:
        return new QLabel(caption, &dialog);
    case ControlKind::GroupBox:
        return new QGroupBox(caption, &dialog);
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(&dialog);
        if (control.style & kDigitsOnly) {
            // Refuses every edit that would put a non-digit into the text, so
            // typed and pasted non-digits alike; texts set by the program are
            // taken as they are.
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        }
        QObject::connect(edit, &QLineEdit::textChanged, &dialog, [onCommand, id] { onCommand(id); });
        return edit;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(&dialog);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSortingEnabled(false);
        QObject::connect(list, &QListWidget::itemSelectionChanged, &dialog, [onCommand, id] { onCommand(id); });
        QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, [onCommand, id] { onCommand(id); });
        list->installEventFilter(new FocusNotifier(list, id, onCommand));
        return list;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(caption, &dialog);
        QObject::connect(box, &QCheckBox::toggled, &dialog, [onCommand, id] { onCommand(id); });
        return box;
    }
    case ControlKind::DropDownList: {
        auto* combo = new QComboBox(&dialog);
        combo->setEditable(false);
        QObject::connect(combo, &QComboBox::currentIndexChanged, &dialog, [onCommand, id] { onCommand(id); });
        return combo;
    }
    }
    return nullptr;
}

} // namespace

std::map<int, QWidget*> buildDialogControls(QWidget& dialog,
                                            std::span<const ControlDescription> controls,
                                            const DialogUnits& units,
                                            std::function<void(int id)> onCommand)
{
    std::map<int, QWidget*> byId;
    QWidget* previousTabStop = nullptr;
    for (const ControlDescription& control : controls) {
        QWidget* widget = createControl(dialog, control, onCommand);
        const int height = control.kind == ControlKind::DropDownList ? kDropDownClosedHeight : control.height;
        widget->setGeometry(units.toPixels(control.x, control.y, control.width, height));
        if (control.kind == ControlKind::Label)
            shrinkFontToFit(widget, QString::fromUtf8(control.caption), widget->width());
        if (control.accessibleName[0] != '\0') {
            const QString name = QString::fromUtf8(control.accessibleName);
            widget->setAccessibleName(name);
            if (control.kind == ControlKind::DropDownList) {
                // On Linux a drop-down list announces its current row as its
                // name and takes the name from a label: give it one, unseen.
                auto* label = new QLabel(name, &dialog);
                label->setBuddy(widget);
                label->hide();
            }
        }
        if (control.id != kNoId)
            byId[control.id] = widget;
        if (widget->focusPolicy() & Qt::TabFocus) {
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        }
    }
    return byId;
}

} // namespace kes::editor
