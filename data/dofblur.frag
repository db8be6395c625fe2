#version 120
// Depth-of-field blur: the colour is blurred over a disc whose radius grows with the distance of
// the pixel from the focus depth. depthMap holds the camera depth as colour (24 bits in RGB,
// eye-space depth / 20, as the depth-as-colour mesh pass writes it).

uniform sampler2D tInput;     // unit 0: colour
uniform sampler2D depthMap;   // unit 1: packed depth
uniform float focus;          // focus depth in world units
uniform float blurScale;      // pixels of blur radius per world unit away from focus

varying vec2 texCoord;

const float DEPTH_MULTIPLIER = 20.0;
const vec2 TEXEL = vec2(1.0 / 1920.0, 1.0 / 1080.0);
const float MAX_RADIUS = 12.0;   // pixels

float unpackDepth(vec3 c) {
    vec3 b = floor(c * 255.0 + 0.5);
    return (b.r * 65536.0 + b.g * 256.0 + b.b) / 16777215.0;
}

void main() {
    float depth = unpackDepth(texture2D(depthMap, texCoord).rgb) * DEPTH_MULTIPLIER;
    float radius = min(abs(depth - focus) * blurScale, MAX_RADIUS);
    vec3 sum = texture2D(tInput, texCoord).rgb;
    float count = 1.0;
    for (int ring = 1; ring <= 2; ring++) {
        for (int k = 0; k < 8; k++) {
            float a = float(k) * 0.785398 + float(ring) * 0.39;
            vec2 offset = vec2(cos(a), sin(a)) * radius * float(ring) * 0.5 * TEXEL;
            sum += texture2D(tInput, texCoord + offset).rgb;
            count += 1.0;
        }
    }
    gl_FragColor = vec4(sum / count, 1.0);
}
