#version 330 core
in vec4 vertexColour;
out vec4 fragment;

void main()
{
    fragment = vertexColour;
}
