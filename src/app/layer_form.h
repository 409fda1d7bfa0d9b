// The layer form of the editor: the fields that describe one layer before it
// is added, which of them each layer kind uses, and the conversions between
// the form and a stored LayerEntry. Free of any user-interface code.
#pragma once

#include <string>

#include "model/layer_kinds.h"
#include "model/level_model.h"

namespace kes::editor {

// The layer fields as the designer typed them.
struct LayerForm {
    std::string objPath;
    std::string bmpPath;
    bool draw = false;
    bool collision = false;
    int kind = 0; // row of the kind list; -1 when none is selected
    std::string speed;
    std::string framesTillReset;
    std::string vibration;
    std::string triggerArea;

    bool operator==(const LayerForm&) const = default;
};

// The fields each kind uses: fieldsUsedBy (model/layer_kinds.h).
using kes::fieldsUsedBy;
using kes::LayerKindFields;

// True when the form describes a complete layer: an OBJ file, a BMP file when
// it is drawn, a selected kind and a valid value in every field the kind uses.
bool layerFormIsValid(const LayerForm& form);

// The entry for the form. Every field is stored, also those the kind doesn't
// use; numbers that don't parse are 0, texts are cut to 249 bytes, and the
// trigger area goes from typed order (x1,x2,y1,y2,z1,z2) to stored order.
LayerEntry layerEntryFromForm(const LayerForm& form);

// The form showing `entry`: numbers with four decimals, the trigger area in
// typed order, the frames as a whole number. A kind outside 0 to 5 selects no
// row (-1).
LayerForm layerFormFromEntry(const LayerEntry& entry);

// The text of the entry's row in the layer list: its OBJ path.
std::string layerRowText(const LayerEntry& entry);

// The message shown when a layer is added to a full table, and its caption.
std::string layerLimitText();
inline constexpr char kLayerLimitCaption[] = "Layer Limit";

} // namespace kes::editor
