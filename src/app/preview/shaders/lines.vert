#version 330 core
// Markers, boxes and arrows: coloured vertices, moved by `offset` (the
// outline of a layer that the motion playback moves).
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 colour;
uniform mat4 viewProjection;
uniform vec3 offset;
out vec4 vertexColour;

void main()
{
    vertexColour = colour;
    gl_Position = viewProjection * vec4(position + offset, 1.0);
}
