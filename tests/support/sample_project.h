// The sample project of the tests: one textured static layer and one target,
// with its mesh and texture, in a temporary folder.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "model/project_file.h"
#include "support/level_fixtures.h"

namespace kes::test {

// Writes mesh.obj (3 triangles), tex.bmp (4 x 2 pixels) and level.kgp into
// `dir`. The project's layer names `obj` and `bmp` (relative to the project),
// so a test can make it name a file that is missing.
inline LevelProject writeSampleProject(const TempDir& dir, const std::string& obj = "mesh.obj",
                                       const std::string& bmp = "tex.bmp")
{
    writeObj(dir.file("mesh.obj"), fixtureTriangles(3));
    writeBmp(dir.file("tex.bmp"), 4, 2, fixturePixels(4, 2));
    LevelProject project;
    LayerEntry layer;
    layer.objPath = obj;
    layer.bmpPath = bmp;
    layer.draw = 1;
    project.layers.append(layer);
    project.targets.append(TargetEntry{1, 2, 3, 0});
    const Status saved = saveProject(project, dir.file("level.kgp"));
    EXPECT_TRUE(saved) << saved.reason();
    return project;
}

} // namespace kes::test
