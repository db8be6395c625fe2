#version 120
// Self-illuminated textured surface (backdrops, title cards): the texture times glColor, unlit.

uniform sampler2D colorMap;
uniform vec4 glColor;
varying vec2 texCoord;

void main() {
    gl_FragColor = texture2D(colorMap, texCoord) * glColor;
}
