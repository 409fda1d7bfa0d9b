#include "app/list_rows.h"

#include <QApplication>
#include <QColor>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QSignalBlocker>
#include <QStringList>
#include <QStyledItemDelegate>

#include "app/layer_form.h"
#include "app/target_form.h"

namespace kes::editor {
namespace {

constexpr int kBadgeRole = Qt::UserRole + 1;

// Paints the row's text cut in the middle, leaving room at the right for its
// badge, then the badge.
class LayerRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString badge = index.data(kBadgeRole).toString();
        QFont badgeFont = option.font;
        badgeFont.setPointSizeF(badgeFont.pointSizeF() > 0 ? badgeFont.pointSizeF() * 0.8 : 7);
        const QFontMetrics metrics(badgeFont);
        const int badgeWidth = badge.isEmpty() ? 0 : metrics.horizontalAdvance(badge) + 6;

        // The row's background and selection across the whole width, then
        // the text in what the badge leaves.
        QStyleOptionViewItem rowOption = option;
        initStyleOption(&rowOption, index);
        const QStyle* style = rowOption.widget ? rowOption.widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &rowOption, painter, rowOption.widget);
        QStyleOptionViewItem textOption = option;
        textOption.rect.setRight(option.rect.right() - badgeWidth - 2);
        QStyledItemDelegate::paint(painter, textOption, index);
        if (badge.isEmpty())
            return;

        const QRect box(option.rect.right() - badgeWidth, option.rect.top() + 2, badgeWidth,
                        option.rect.height() - 4);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        const BadgeColours colours = badgeColours(option.palette);
        painter->setBrush(colours.box);
        painter->drawRoundedRect(box, 3, 3);
        painter->setPen(colours.letters);
        painter->setFont(badgeFont);
        painter->drawText(box, Qt::AlignCenter, badge);
        painter->restore();
    }
};

QListWidgetItem* rowItem(QListWidget& list, int row)
{
    if (row >= list.count()) {
        list.addItem(QString());
        row = list.count() - 1;
    }
    return list.item(row);
}

QColor targetKindColor(std::int32_t kind)
{
    switch (kind) {
    case static_cast<std::int32_t>(TargetKind::Goal): return QColor(0x2e, 0xa0, 0x43);
    case static_cast<std::int32_t>(TargetKind::Brake): return QColor(0xd0, 0x30, 0x30);
    default: return QColor(0x80, 0x80, 0x80);
    }
}

} // namespace

QString layerBadgeText(const LayerEntry& entry)
{
    QString badge = QString::fromUtf8(std::string(layerKindName(entry.kind)));
    if (badge.isEmpty())
        badge = "kind " + QString::number(entry.kind);
    if (entry.draw != 0)
        badge += " D";
    if (entry.collision != 0)
        badge += " C";
    return badge;
}

BadgeColours badgeColours(const QPalette& palette)
{
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    const QColor row = palette.color(QPalette::Active, QPalette::Base);
    auto blend = [](int a, int b) { return (a * 65 + b * 35) / 100; };
    return {QColor(blend(text.red(), row.red()), blend(text.green(), row.green()), blend(text.blue(), row.blue())),
            row};
}

void setUpLayerRows(QListWidget& list)
{
    list.setTextElideMode(Qt::ElideMiddle);
    list.setItemDelegate(new LayerRowDelegate(&list));
}

void setUpTargetRows(QListWidget& list)
{
    list.setTextElideMode(Qt::ElideMiddle);
    // The kind's swatch no taller than the text, so that the short list
    // keeps rows of text height.
    const int side = list.fontMetrics().height() * 2 / 3;
    list.setIconSize(QSize(side, side));
}

void showLayerRow(QListWidget& list, int row, const LayerEntry& entry)
{
    const QSignalBlocker block(&list);
    QListWidgetItem* item = rowItem(list, row);
    const QString path = QString::fromStdString(layerRowText(entry));
    const QString badge = layerBadgeText(entry);
    item->setText(path);
    item->setData(kBadgeRole, badge);
    QString tip = path + "\n" + QString::fromUtf8(std::string(layerKindName(entry.kind)));
    tip += entry.draw != 0 ? ", drawn" : ", not drawn";
    tip += entry.collision != 0 ? ", collides" : ", no collision";
    if (entry.draw != 0 && !entry.bmpPath.empty())
        tip += "\nTexture: " + QString::fromStdString(entry.bmpPath);
    // What the badge's letters stand for.
    QStringList letters;
    if (entry.draw != 0)
        letters << "D: drawn";
    if (entry.collision != 0)
        letters << "C: collision";
    if (!letters.isEmpty())
        tip += "\nBadge: " + badge + " (" + letters.join(", ") + ")";
    item->setToolTip(tip);
}

void showTargetRow(QListWidget& list, int row, const TargetEntry& entry)
{
    const QSignalBlocker block(&list);
    QListWidgetItem* item = rowItem(list, row);
    const QString position = QString::fromStdString(targetRowText(entry));
    item->setText(position);
    item->setData(Qt::DecorationRole, targetKindColor(entry.kind));
    const QString kind = QString::fromUtf8(std::string(targetKindName(entry.kind)));
    // The position whole, which a narrow list cuts.
    item->setToolTip((kind.isEmpty() ? "kind " + QString::number(entry.kind) : kind) + "\n" + position);
}

} // namespace kes::editor
