// The ES context's own entry points behind the ones the layer takes over, for the layer's modules.
// Filled by installCompatLayer before any of them runs; calls through them are not error-checked
// on their own (the check after the engine's call covers them).
#pragma once
#include "platform/gl.h"

struct RealGl {
    PFNGLENABLEPROC enable;
    PFNGLDISABLEPROC disable;
    PFNGLISENABLEDPROC isEnabled;
    PFNGLGETFLOATVPROC getFloatv;
    PFNGLGETINTEGERVPROC getIntegerv;
    PFNGLHINTPROC hint;
    PFNGLUSEPROGRAMPROC useProgram;
    PFNGLSHADERSOURCEPROC shaderSource;
    PFNGLLINKPROGRAMPROC linkProgram;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation;
    PFNGLDRAWARRAYSPROC drawArrays;
    PFNGLBINDTEXTUREPROC bindTexture;
    PFNGLTEXIMAGE2DPROC texImage2D;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLREADPIXELSPROC readPixels;
    PFNGLBEGINQUERYPROC beginQuery;
    PFNGLENDQUERYPROC endQuery;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;
    PFNGLCOPYTEXSUBIMAGE2DPROC copyTexSubImage2D;
    PFNGLGENERATEMIPMAPPROC generateMipmap;
    PFNGLTEXPARAMETERIPROC texParameteri;
    PFNGLDELETETEXTURESPROC deleteTextures;
};
extern RealGl realGl;

// One line for whoever installed the layer (a call it cannot do as asked); printed by the caller.
void reportCompat(const char *format, ...);
