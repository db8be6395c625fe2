#version 120
// Lens pass: a slight barrel distortion and faint ghosts of the bright parts mirrored through the
// centre, as a wide lens shows them.

uniform sampler2D tInput;   // unit 0
varying vec2 texCoord;

const float BARREL = 0.04;
const float GHOSTS = 0.22;

vec3 bright(vec2 uv) {
    vec3 c = texture2D(tInput, clamp(uv, 0.0, 1.0)).rgb;
    return max(c - 0.7, 0.0) * 3.0;
}

void main() {
    vec2 d = texCoord - 0.5;
    vec2 uv = 0.5 + d * (1.0 - BARREL * dot(d, d) * 4.0);
    vec3 c = texture2D(tInput, uv).rgb;
    vec2 mirrored = 1.0 - uv;
    vec3 ghost = bright(mirrored) * vec3(0.6, 0.8, 1.0)
               + bright(0.5 + (mirrored - 0.5) * 0.5) * vec3(1.0, 0.7, 0.5);
    float fade = 1.0 - smoothstep(0.1, 0.7, length(d));
    gl_FragColor = vec4(c + ghost * GHOSTS * fade, 1.0);
}
