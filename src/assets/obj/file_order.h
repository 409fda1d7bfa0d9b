// Reading OBJ text in file order, line after line. Private to the OBJ reader.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "assets/obj/faces.h"
#include "assets/obj/lines.h"
#include "assets/obj/mesh_builder.h"
#include "assets/obj/stores.h"
#include "assets/obj/vertex_lists.h"
#include "assets/obj/warnings.h"
#include "model/status.h"

namespace kes::obj {

// Reads the whole of `source` through one buffer of `pieceSize` bytes (it
// grows for a longer line), twice: once to count the lines of each kind, so
// that every list is made once at its size, and once to read them. `name`
// names the file in warnings.
template <ByteSource Source, FileOrderStore Store>
Status readInFileOrder(Source& source, std::size_t pieceSize, const std::string& name, Store& store,
                       std::vector<ReaderWarning>* warnings)
{
    std::vector<char> buffer(std::max<std::size_t>(pieceSize, 1) + 1);
    LineCounts counts;
    if (Status counted = forEachLineInRange(source, 0, kToTheEnd, buffer,
                                            [&](const char* begin, const char* end, std::int64_t) {
                                                counts.count(classifyLine(begin, end));
                                            });
        !counted)
        return counted;

    VertexLists lists;
    reserveLists(lists, counts);
    store.reserve(counts.faces);
    WarningList warningList(warnings, name);
    CopiedFaces<Store> faces(lists, store);
    MeshBuilder<CopiedFaces<Store>> builder(lists, LineCounts{}, LineCounts{}, faces, warningList);
    if (Status done = forEachLineInRange(source, 0, kToTheEnd, buffer,
                                         [&](const char* begin, const char* end, std::int64_t line) {
                                             builder.readLine(begin, end, line);
                                         });
        !done)
        return done;
    builder.finish();
    if (warnings)
        addDroppedWarning(*warnings, name, warningList.dropped());
    return Status::success();
}

} // namespace kes::obj
