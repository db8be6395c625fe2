#version 120
// Last full-screen pass: subtle chromatic aberration growing towards the edges, a soft vignette
// and film grain. testfactor scales the grain (1 = normal, 0 = none). There is no time input: the
// grain is seeded from the pixel position and the picture itself, so it moves when the picture
// does.

uniform sampler2D tInput;   // the graded frame
uniform float testfactor;

varying vec2 texCoord;

const float ABERRATION = 0.004;   // red/blue offset at the corners, in texture units
const float GRAIN = 0.045;
const float EDGE = 0.0005;          // half a pixel of the 1920 x 1080 picture

float hash(vec2 p) {
    vec3 q = fract(vec3(p.xyx) * 0.1031);
    q += dot(q, q.yzx + 33.33);
    return fract((q.x + q.y) * q.z);
}

void main() {
    vec2 d = texCoord - 0.5;
    vec2 shift = d * dot(d, d) * ABERRATION * 4.0;
    vec3 c;
    // The target's texture repeats: keep the shifted samples inside the picture.
    c.r = texture2D(tInput, clamp(texCoord + shift, EDGE, 1.0 - EDGE)).r;
    c.g = texture2D(tInput, texCoord).g;
    c.b = texture2D(tInput, clamp(texCoord - shift, EDGE, 1.0 - EDGE)).b;

    float edge = length(d * vec2(1.0, 0.5625) * 1.9);
    c *= mix(1.0, 0.62, smoothstep(0.45, 1.15, edge));

    float n = hash(gl_FragCoord.xy + c.rg * 613.0 + c.b * 271.0) - 0.5;
    float luma = dot(c, vec3(0.299, 0.587, 0.114));
    c += n * GRAIN * testfactor * (1.0 - 0.6 * luma);

    gl_FragColor = vec4(clamp(c, 0.0, 1.0), 1.0);
}
