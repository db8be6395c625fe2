#version 330 compatibility
// Self-illuminated mesh: the colour map glows by itself (times glColor), the point lights of the
// light arrays add diffuse light, a rim brightens silhouettes, and the flash colour tints it.
// When the glenz map is bound (shmap3, the latest depth pass) its brightness adds a faint
// see-through shimmer.

uniform sampler2D colorMap;
uniform sampler2D glenzMap;
uniform vec4 glColor;
uniform vec4 flash;
uniform vec3 camPos;
uniform float lightsEnabled[14];
uniform float lightsPosx[14];
uniform float lightsPosy[14];
uniform float lightsPosz[14];
uniform float lightsDiffuser[14];
uniform float lightsDiffuseg[14];
uniform float lightsDiffuseb[14];
uniform float lightsinvRadius[14];

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
in vec4 shadowCoord;
layout(location = 0) out vec4 fragColour;

const float GLOW = 0.55;   // share of the colour map that shines unlit

void main() {
    vec3 n = normalize(worldNormal);
    vec3 v = normalize(camPos - worldPosition);
    vec3 diffuse = vec3(0.0);
    for (int i = 0; i < 14; i++) {
        if (lightsEnabled[i] < 0.5) continue;
        vec3 d = vec3(lightsPosx[i], lightsPosy[i], lightsPosz[i]) - worldPosition;
        float reach = clamp(1.0 - length(d) * lightsinvRadius[i], 0.0, 1.0);
        diffuse += vec3(lightsDiffuser[i], lightsDiffuseg[i], lightsDiffuseb[i]) * max(dot(n, normalize(d)), 0.0) *
                   reach * reach;
    }
    vec4 base = texture(colorMap, uv) * glColor;
    float rim = pow(1.0 - abs(dot(n, v)), 3.0) * 0.35;
    vec2 glenzUv = shadowCoord.w > 0.0 ? shadowCoord.xy / shadowCoord.w : uv;
    float shimmer = (1.0 - texture(glenzMap, glenzUv).r) * 0.08;
    vec3 colour = base.rgb * (GLOW + diffuse) + rim + shimmer + flash.rgb;
    fragColour = vec4(max(colour, 0.0), base.a);
}
