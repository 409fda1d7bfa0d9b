#version 330 core
// Textured or plain, lit by the face normal (from the triangle's own slope,
// so both sides are lit alike), tinted when the layer is selected.
in vec3 worldPosition;
in vec2 textureCoordinates;
uniform sampler2D layerTexture;
uniform bool textured;
uniform bool lit;
uniform vec4 colour;
uniform vec3 lightDirection;
uniform float highlight;
uniform vec3 highlightColour;
out vec4 fragment;

void main()
{
    vec4 base = textured ? vec4(texture(layerTexture, textureCoordinates).rgb, colour.a) : colour;
    if (lit) {
        vec3 normal = normalize(cross(dFdx(worldPosition), dFdy(worldPosition)));
        float light = 0.45 + 0.55 * abs(dot(normal, lightDirection));
        base.rgb *= light;
    }
    base.rgb = mix(base.rgb, highlightColour, highlight);
    fragment = base;
}
