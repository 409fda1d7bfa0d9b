// The project most kesgen-cli tests run on.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "model/level_model.h"
#include "model/project_file.h"
#include "support/level_fixtures.h"
#include "support/temp_dir.h"

namespace kes::test {

// A project with a textured static layer (mesh.obj, tex.bmp) and an animated
// layer of three frames (wave_000001.obj ...), in `dir`.
inline LevelProject writeAnimatedProject(const TempDir& dir)
{
    writeObj(dir.file("mesh.obj"), fixtureTriangles(3));
    for (int f = 1; f <= 3; ++f)
        writeObj(dir.file("wave_00000" + std::to_string(f) + ".obj"), fixtureTriangles(f, 10 * f));
    writeBmp(dir.file("tex.bmp"), 4, 2, fixturePixels(4, 2));
    LevelProject project;
    LayerEntry still;
    still.objPath = "mesh.obj";
    still.bmpPath = "tex.bmp";
    still.draw = 1;
    project.layers.append(still);
    LayerEntry wave;
    wave.objPath = "wave.obj";
    wave.kind = 4;
    wave.frames = 3;
    project.layers.append(wave);
    project.targets.append(TargetEntry{1, 2, 3, 0});
    EXPECT_TRUE(saveProject(project, dir.file("level.kgp")));
    return project;
}

} // namespace kes::test
