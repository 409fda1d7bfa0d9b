"""Builds a small textured mesh in Blender and exports it as kesgen reads meshes.

Run headless (Debian's `blender` package; not needed to build or test kesgen):

    blender -b -P scripts/blender-export.py              # writes examples/crate.obj
    blender -b -P scripts/blender-export.py -- OUT.obj   # writes OUT.obj

The mesh is a crate (a cube: quads) with a lid (a cylinder: eight-cornered
caps), standing on the ground with its bottom at height 0, with the texture
coordinates Blender's primitives come with. The export settings are the ones
docs/guide.md tells designers to pick in File > Export > Wavefront (.obj):

    Forward Axis -Z, Up Axis Y   Blender's Z-up scene becomes kesgen's Y-up level
    Triangulated Mesh on         every face has three corners (kesgen keeps only
                                 the first triangle of a larger face)
    UV Coordinates on            texture coordinates (vt)
    Normals on                   corner normals (vn)
    Materials off                kesgen reads no .mtl file
    Apply Modifiers on           what the viewport shows is what is exported

tests/generate/blender_export_test.cpp reads the file this writes.
"""
import os
import sys

import bpy

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUTPUT = os.path.join(HERE, "..", "examples", "crate.obj")


def output_path():
    # Blender passes the arguments after "--" on to the script.
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    return os.path.abspath(argv[0] if argv else DEFAULT_OUTPUT)


def build_crate():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    # Blender's up axis is Z: the crate stands on the ground plane z = 0.
    bpy.ops.mesh.primitive_cube_add(size=2, location=(0, 0, 1))
    crate = bpy.context.active_object
    crate.name = "Crate"
    bpy.ops.mesh.primitive_cylinder_add(vertices=8, radius=0.6, depth=0.4, location=(0, 0, 2.2))
    lid = bpy.context.active_object
    # One object: select both, the crate active, and join.
    crate.select_set(True)
    bpy.context.view_layer.objects.active = crate
    bpy.ops.object.join()
    # A bevel modifier that the export applies: kesgen sees its result.
    bevel = crate.modifiers.new("Bevel", "BEVEL")
    bevel.width = 0.05
    bevel.segments = 1
    bevel.limit_method = "ANGLE"
    del lid
    return crate


def export(path):
    bpy.ops.wm.obj_export(
        filepath=path,
        check_existing=False,
        export_selected_objects=False,
        forward_axis="NEGATIVE_Z",
        up_axis="Y",
        global_scale=1.0,
        apply_modifiers=True,
        export_triangulated_mesh=True,
        export_uv=True,
        export_normals=True,
        export_materials=False,
        export_colors=False,
        export_animation=False,
    )


def main():
    path = output_path()
    build_crate()
    export(path)
    print("wrote", path)


main()
