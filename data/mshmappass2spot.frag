#version 330 compatibility
#extension GL_ARB_shader_image_load_store : require
// The room under four shadow-casting spot lights and the fourteen point lights of the light
// arrays.
//
// Spot light i: LightsPos[i] is its eye, Lights[i] its aim, lightsOn[i] its strength. Its depth map
// is row block i of the atlas shadowMap (texture v in [i/4, (i+1)/4]), holding the light's
// eye-space depth / SPOT_DEPTH_RANGE packed into RGB (24 bits). The receiver's own light depth is
// the w of its biased light coordinates (the bias matrix leaves w alone). The cone is the circle
// inscribed in the light's square frustum with a soft rim; light falls off with distance.
// bias and anglebias set the depth offset of the comparison, which grows with the distance from
// the light as the map's texels do: offset = distance x (bias x 0.4 + anglebias x tan(incidence)).
// Materials: colorMap x glColor, normalMap (tangent space, handedness in the tangent frame),
// specularMap (red channel), lightMap (the light/AO map, weighted per point light by
// lightMapSelect; 1 - its alpha marks what glows), CubeMap reflections when enviro is 1, the flash
// colour as a tint of the surface, clip planes when renderingclipper / renderingmirror are 1. The
// show never fogs the room (fogzfactor stays 0), so no fog is computed per pixel.

// The room is drawn after a depth-only pass of the same geometry: with the depth test ahead of the
// shader (even though the clip planes may discard), each pixel is shaded once instead of once per
// surface behind it.
layout(early_fragment_tests) in;

uniform sampler2D colorMap;
uniform sampler2D normalMap;
uniform sampler2D specularMap;
uniform sampler2D lightMap;
uniform sampler2D shadowMap;
uniform samplerCube CubeMap;

uniform vec4 glColor;
uniform vec4 flash;
uniform float shininess;
uniform int enviro;
uniform int method;            // 1: normal mapping, 0: vertex normals
uniform float bias;
uniform float anglebias;
uniform vec3 camPos;
uniform vec4 Lights[4];
uniform vec4 LightsPos[4];
uniform vec4 lightsOn;
uniform int renderingclipper;
uniform vec4 clipeq1;
uniform vec4 clipeq2;
uniform int renderingmirror;
uniform vec4 clipeq;

uniform float lightsEnabled[14];
uniform float lightsPosx[14];
uniform float lightsPosy[14];
uniform float lightsPosz[14];
uniform float lightsAmbientr[14];
uniform float lightsAmbientg[14];
uniform float lightsAmbientb[14];
uniform float lightsDiffuser[14];
uniform float lightsDiffuseg[14];
uniform float lightsDiffuseb[14];
uniform float lightsSpecularr[14];
uniform float lightsSpecularg[14];
uniform float lightsSpecularb[14];
uniform float lightsinvRadius[14];
uniform float lightMapSelect[14];

in vec3 worldPosition;
in vec3 worldNormal;
in vec3 worldTangent;
in float handedness;
in vec2 uv;
in vec4 shadowCoord[4];
layout(location = 0) out vec4 fragColour;

const float SPOT_DEPTH_RANGE = 100.0;
const float MAP_SIZE = 1024.0;
const vec3 SPOT_COLOUR = vec3(1.0, 0.93, 0.82) * 1.7;
const float SPOT_FALLOFF = 0.006;      // 1 / (1 + k d^2)
const float AMBIENT_SHARE = 0.45;
const float FLASH_GAIN = 1.6;          // the flash tints what it lights instead of fogging the picture
const float EMISSIVE_GAIN = 1.8;

float unpackDepth(vec3 c) {
    vec3 b = floor(c * 255.0 + 0.5);
    return (b.r * 65536.0 + b.g * 256.0 + b.b) / 16777215.0;
}

// Share of the 3 x 3 neighbourhood of st in light i's map that does not occlude the receiver. The
// atlas is filtered NEAREST, so the taps are whole texels fetched directly, kept inside the light's
// own block.
float litShare(int i, vec2 st, float receiverDepth, float offset) {
    float lit = 0.0;
    ivec2 centre = ivec2(floor(clamp(st, 0.0, 1.0) * MAP_SIZE));
    int rowBase = i * int(MAP_SIZE);
    for (int dy = -1; dy <= 1; dy++) {
        for (int dx = -1; dx <= 1; dx++) {
            ivec2 texel = clamp(centre + ivec2(dx, dy), ivec2(0), ivec2(int(MAP_SIZE) - 1));
            float stored = unpackDepth(texelFetch(shadowMap, texel + ivec2(0, rowBase), 0).rgb) * SPOT_DEPTH_RANGE;
            lit += receiverDepth - offset <= stored ? 1.0 : 0.0;
        }
    }
    return lit / 9.0;
}

// Loop bounds from the uniforms: llvmpipe runs a loop with a constant count unrolled, every body for
// every pixel, so the loops stop after the last light that is on instead of skipping the rest.
int lastLightOn() {
    int last = 0;
    for (int i = 0; i < 14; i++) last = lightsEnabled[i] >= 0.5 ? i + 1 : last;
    return last;
}

int lastSpotOn() {
    return lightsOn[3] > 0.0 ? 4 : lightsOn[2] > 0.0 ? 3 : lightsOn[1] > 0.0 ? 2 : lightsOn[0] > 0.0 ? 1 : 0;
}

vec3 spotLight(int i, vec3 n, vec3 v, vec3 albedo, float specular, float exponent) {
    vec4 sc = shadowCoord[i];
    if (lightsOn[i] <= 0.0 || sc.w <= 0.0) return vec3(0.0);
    vec2 st = sc.xy / sc.w;
    float cone = 1.0 - smoothstep(0.72, 1.0, length(st - 0.5) * 2.0);
    if (cone <= 0.0) return vec3(0.0);
    vec3 toLight = LightsPos[i].xyz - worldPosition;
    float distance = length(toLight);
    vec3 l = toLight / distance;
    float ndl = dot(n, l);
    if (ndl <= 0.0) return vec3(0.0);
    float tangent = sqrt(max(1.0 - ndl * ndl, 0.0)) / ndl;
    float offset = sc.w * (bias * 0.4 + anglebias * min(tangent, 5.0));
    float lit = litShare(i, st, sc.w, offset);
    float falloff = 1.0 / (1.0 + SPOT_FALLOFF * distance * distance);
    float highlight = pow(max(dot(n, normalize(l + v)), 0.0), exponent) * specular;
    return SPOT_COLOUR * lightsOn[i] * cone * falloff * lit * (albedo * ndl + highlight);
}

vec3 surfaceNormal() {
    vec3 n = normalize(worldNormal);
    if (method != 1) return n;
    vec3 t = worldTangent - n * dot(n, worldTangent);
    vec3 mapped = texture(normalMap, uv).xyz;
    // A missing normal map reads black; only an upward-facing sample is a real normal.
    if (dot(t, t) < 1e-8 || mapped.z < 0.25) return n;
    t = normalize(t);
    vec3 b = cross(n, t) * handedness;
    vec3 m = mapped * 2.0 - 1.0;
    return normalize(t * m.x + b * m.y + n * m.z);
}

void main() {
    vec4 p = vec4(worldPosition, 1.0);
    if (renderingclipper == 1 && (dot(p, clipeq1) < 0.0 || dot(p, clipeq2) < 0.0)) discard;
    if (renderingmirror == 1 && dot(p, clipeq) < 0.0) discard;

    vec3 n = surfaceNormal();
    vec3 v = normalize(camPos - worldPosition);
    if (dot(n, v) < 0.0 && dot(normalize(worldNormal), v) < 0.0) n = -n;   // inside faces of the room
    vec4 base = texture(colorMap, uv) * glColor;
    vec3 albedo = base.rgb;
    float specular = texture(specularMap, uv).r;
    vec4 lightMapTexel = texture(lightMap, uv);
    float occlusion = lightMapTexel.r;
    float emissive = 1.0 - lightMapTexel.a;   // stored inverted: a light map without alpha glows nowhere
    float exponent = 4.0 + shininess * 60.0;

    vec3 ambient = vec3(0.0);
    vec3 diffuse = vec3(0.0);
    vec3 highlights = vec3(0.0);
    float count = 0.0;
    int lights = lastLightOn();
    for (int i = 0; i < lights; i++) {
        if (lightsEnabled[i] < 0.5) continue;
        count += 1.0;
        ambient += vec3(lightsAmbientr[i], lightsAmbientg[i], lightsAmbientb[i]);
        vec3 d = vec3(lightsPosx[i], lightsPosy[i], lightsPosz[i]) - worldPosition;
        float reach = clamp(1.0 - length(d) * lightsinvRadius[i], 0.0, 1.0);
        reach *= reach * mix(1.0, occlusion, lightMapSelect[i]);
        vec3 l = normalize(d);
        diffuse += vec3(lightsDiffuser[i], lightsDiffuseg[i], lightsDiffuseb[i]) * max(dot(n, l), 0.0) * reach;
        highlights += vec3(lightsSpecularr[i], lightsSpecularg[i], lightsSpecularb[i]) *
                      pow(max(dot(n, normalize(l + v)), 0.0), exponent) * reach;
    }
    // The spot lights carry the picture: the shared ambient only keeps the shadows from going black.
    ambient = ambient / max(count, 1.0) * mix(1.0, occlusion, 0.5) * AMBIENT_SHARE;

    vec3 colour = albedo * (ambient + diffuse) + highlights * specular;
    int spots = lastSpotOn();
    for (int i = 0; i < spots; i++) colour += spotLight(i, n, v, albedo, specular, exponent);
    if (enviro == 1) {
        float fresnel = 0.04 + 0.96 * pow(1.0 - max(dot(n, v), 0.0), 5.0);
        colour += texture(CubeMap, reflect(-v, n)).rgb * specular * mix(0.15, 0.6, fresnel);
    }
    colour += albedo * (flash.rgb * FLASH_GAIN + emissive * EMISSIVE_GAIN);
    fragColour = vec4(max(colour, 0.0), base.a);
}
