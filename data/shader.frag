#version 330 compatibility
// Colour map times glColor lit by the first eight fixed-function lights (their positions as the
// light table set them; linear attenuation), plus the light's ambient.

uniform sampler2D colorMap;
uniform vec4 glColor;

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
layout(location = 0) out vec4 fragColour;

void main() {
    vec3 n = normalize(worldNormal);
    vec3 light = vec3(0.0);
    for (int i = 0; i < 8; i++) {
        vec4 diffuse = gl_LightSource[i].diffuse;
        if (dot(diffuse.rgb, diffuse.rgb) + dot(gl_LightSource[i].ambient.rgb, gl_LightSource[i].ambient.rgb) == 0.0)
            continue;
        vec3 d = gl_LightSource[i].position.xyz - worldPosition;
        float distance = length(d);
        float attenuation = 1.0 / (gl_LightSource[i].constantAttenuation + gl_LightSource[i].linearAttenuation * distance);
        light += gl_LightSource[i].ambient.rgb * 0.25 + diffuse.rgb * max(dot(n, d / distance), 0.0) * attenuation;
    }
    vec4 base = texture(colorMap, uv) * glColor;
    fragColour = vec4(base.rgb * light, base.a);
}
