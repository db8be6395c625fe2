#version 120
// Colour grade of the finished frame with the title layer on top.
//
// Inputs: the frame on unit 0 (sceneMap, left at its default unit); boostlow / boosthigh are the
// black and white points in 0..255 levels; saturation and luminance are offsets (0 = unchanged);
// factorr/g/b multiply the graded colour; swapbg -1 leaves the channels alone, 0 blends part of
// the blue/green exchange in (a teal cast), 1 exchanges them fully; mix_ is the share of the
// ungraded frame (1 right after a grade change, fading to 0). Titles: titleMap is scrolled
// vertically by yscroll, cut by titleMask (red channel) and faded by titlefade. With no title
// textures bound both read black, so the mask is 0 and the layer adds nothing.

uniform sampler2D sceneMap;
uniform sampler2D titleMap;
uniform sampler2D titleMask;
uniform int dosharpen;
uniform float titlefade;
uniform float yscroll;
uniform float saturation;
uniform float luminance;
uniform float boostlow;
uniform float boosthigh;
uniform int swapbg;
uniform float factorr;
uniform float factorg;
uniform float factorb;
uniform float mix_;

varying vec2 texCoord;

const vec2 TEXEL = vec2(1.0 / 1920.0, 1.0 / 1080.0);
const vec3 LUMA = vec3(0.2126, 0.7152, 0.0722);
const vec3 LIFT = vec3(0.010, 0.012, 0.030);    // cool, slightly raised blacks
const vec3 MIDTONES = vec3(0.05, 0.07, 0.04);   // gamma as a mid-tone lift c + m c (1 - c): no pow
const vec3 GAIN = vec3(1.03, 1.01, 0.97);       // warm highlights
const float TEAL_SWAP = 0.35;                   // share of the blue/green exchange at swapbg 0

vec3 sharpened(vec3 centre) {
    vec3 sum = texture2D(sceneMap, texCoord + vec2(TEXEL.x, 0.0)).rgb
             + texture2D(sceneMap, texCoord - vec2(TEXEL.x, 0.0)).rgb
             + texture2D(sceneMap, texCoord + vec2(0.0, TEXEL.y)).rgb
             + texture2D(sceneMap, texCoord - vec2(0.0, TEXEL.y)).rgb;
    return centre + (centre - sum * 0.25) * 0.6;
}

void main() {
    vec3 raw = texture2D(sceneMap, texCoord).rgb;
    vec3 c = raw;
    if (dosharpen == 1) c = sharpened(raw);

    // Levels: boostlow maps to black, boosthigh to white.
    c = clamp((c * 255.0 - boostlow) / max(boosthigh - boostlow, 1.0), 0.0, 1.0);
    // Lift, gain, gamma.
    c = GAIN * (c + LIFT * (1.0 - c));
    c += MIDTONES * c * (1.0 - c);
    // Saturation and luminance offsets around the luma axis.
    float luma = dot(c, LUMA);
    c = mix(vec3(luma), c, 1.0 + saturation) + luminance;
    c *= vec3(factorr, factorg, factorb);
    if (swapbg == 0) c = mix(c, c.rbg, TEAL_SWAP);
    else if (swapbg == 1) c = c.rbg;
    // Soft shoulder so the boosted channels roll off instead of clipping hard.
    c = c / (1.0 + max(c - 0.8, 0.0) * 0.8);

    float mask = texture2D(titleMask, texCoord).r * titlefade;
    if (mask > 0.0) {
        vec4 title = texture2D(titleMap, vec2(texCoord.x, fract(texCoord.y + yscroll)));
        c = mix(c, title.rgb, clamp(title.a * mask, 0.0, 1.0));
    }

    gl_FragColor = vec4(mix(clamp(c, 0.0, 1.0), raw, clamp(mix_, 0.0, 1.0)), 1.0);
}
