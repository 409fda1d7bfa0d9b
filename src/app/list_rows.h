// How the rows of the layer and target lists look: a layer row shows its
// stored mesh path, cut in the middle when it is too long so that the file
// name stays in view, the whole path as its tooltip, and a small badge with
// its kind, "D" when it is drawn and "C" when it collides, which the tooltip
// explains; a target row shows its position and a swatch of its kind's
// colour.
#pragma once

#include <QColor>

#include "model/level_model.h"

class QListWidget;
class QPalette;
class QString;

namespace kes::editor {

// Gives the lists their look; call once for each list.
void setUpLayerRows(QListWidget& list);
void setUpTargetRows(QListWidget& list);

// Row `row` of the list shows `entry`; a row equal to the list's count is
// added at the end. Notifies nothing.
void showLayerRow(QListWidget& list, int row, const LayerEntry& entry);
void showTargetRow(QListWidget& list, int row, const TargetEntry& entry);

// The badge of a layer row: "Static", "Moving D C", ...
QString layerBadgeText(const LayerEntry& entry);

// The badge's box and letters in a list of this palette: the list's text
// colour, a little lightened towards the row's, behind letters in the row's
// colour, so that they read well in light and dark palettes alike.
struct BadgeColours {
    QColor box;
    QColor letters;
};
BadgeColours badgeColours(const QPalette& palette);

} // namespace kes::editor
