#version 330 compatibility
// Depth as colour, unskinned twin of mdofblur1.frag (same encoding): the camera's eye-space depth
// / 20 as 24 bits in RGB, n = floor(v * 16777215 + 0.5), r = n / 65536, g = (n / 256) mod 256,
// b = n mod 256, each / 255.

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
in float eyeDepth;
layout(location = 0) out vec4 fragColour;

const float DEPTH_MULTIPLIER = 20.0;

vec3 packDepth(float v) {
    float n = floor(clamp(v, 0.0, 1.0) * 16777215.0 + 0.5);
    float r = floor(n / 65536.0);
    float g = floor((n - r * 65536.0) / 256.0);
    float b = n - r * 65536.0 - g * 256.0;
    return vec3(r, g, b) / 255.0;
}

void main() {
    fragColour = vec4(packDepth(eyeDepth / DEPTH_MULTIPLIER), 1.0);
}
