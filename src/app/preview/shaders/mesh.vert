#version 330 core
// A layer's triangles, moved by `offset` (the end of a displacement).
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
uniform mat4 viewProjection;
uniform vec3 offset;
out vec3 worldPosition;
out vec2 textureCoordinates;

void main()
{
    worldPosition = position + offset;
    textureCoordinates = uv;
    gl_Position = viewProjection * vec4(worldPosition, 1.0);
}
