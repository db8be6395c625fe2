#version 120
// Copy pass: the input texture as it is.

uniform sampler2D tInput;   // unit 0
varying vec2 texCoord;

void main() {
    gl_FragColor = vec4(texture2D(tInput, texCoord).rgb, 1.0);
}
