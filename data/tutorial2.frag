#version 330 compatibility
// Plain lit textured surface: the colour map times glColor under the enabled lights of the light
// arrays (averaged ambient, Lambert diffuse with a linear reach) plus the flash tint.

uniform sampler2D colorMap;
uniform vec4 glColor;
uniform vec4 flash;
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
uniform float lightsinvRadius[14];

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
in float eyeDepth;
layout(location = 0) out vec4 fragColour;

void main() {
    vec3 n = normalize(worldNormal);
    vec3 ambient = vec3(0.0);
    vec3 diffuse = vec3(0.0);
    float count = 0.0;
    for (int i = 0; i < 14; i++) {
        if (lightsEnabled[i] < 0.5) continue;
        count += 1.0;
        ambient += vec3(lightsAmbientr[i], lightsAmbientg[i], lightsAmbientb[i]);
        vec3 d = vec3(lightsPosx[i], lightsPosy[i], lightsPosz[i]) - worldPosition;
        float reach = clamp(1.0 - length(d) * lightsinvRadius[i], 0.0, 1.0);
        diffuse += vec3(lightsDiffuser[i], lightsDiffuseg[i], lightsDiffuseb[i]) *
                   max(dot(n, normalize(d)), 0.0) * reach * reach;
    }
    ambient /= max(count, 1.0);
    vec4 base = texture(colorMap, uv) * glColor;
    fragColour = vec4(max(base.rgb * (ambient + diffuse) + flash.rgb, 0.0), base.a);
}
