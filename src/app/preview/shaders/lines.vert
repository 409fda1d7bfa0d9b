#version 330 core
// Markers, boxes and arrows: coloured vertices.
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 colour;
uniform mat4 viewProjection;
out vec4 vertexColour;

void main()
{
    vertexColour = colour;
    gl_Position = viewProjection * vec4(position, 1.0);
}
