#version 330 core
// The image of the layers' meshes, pixel for pixel, with its depth. Where no
// mesh is, it is clear (alpha 0) and the background shows.
uniform sampler2D meshColour;
uniform sampler2D meshDepth;
uniform ivec2 origin; // the viewport's lower left corner in the framebuffer
out vec4 fragment;

void main()
{
    ivec2 pixel = ivec2(gl_FragCoord.xy) - origin;
    fragment = texelFetch(meshColour, pixel, 0);
    gl_FragDepth = texelFetch(meshDepth, pixel, 0).r;
}
