#version 120
// Screen-covering passes: the quad arrives in pixel space through the fixed-function matrices
// (glOrtho 0..1920 x 0..1080) with texture coordinates 0..1.
// Outputs: texCoord (and gl_TexCoord[0]) for the fragment shader.

varying vec2 texCoord;

void main() {
    texCoord = gl_MultiTexCoord0.xy;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
