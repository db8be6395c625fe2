// What stands between the engine's GL calls and the context, written once as tables: every entry
// point the ES layer takes over, the stand-in that takes its place and the real entry it keeps, and
// the entries the screen-target redirect takes over. The real-GL table (real_gl.h), the layer's
// installation and restore (compat_layer.cpp) and the redirect's installation (shell/present.cpp)
// are generated from these lists; nothing else writes the loader's slots.
//
// The order of the interceptions. A call glX(...) in the engine goes, outermost first, through:
//  1. the screen-target redirect (shell/present), only while the picture is drawn off-screen: it
//     holds the slot glad_debug_glX of the entries in SCREEN_TARGET_REDIRECTS and calls the slot's
//     previous occupant, so its own calls still pass 2 and 3;
//  2. the loader's per-call check (core/gl_loader): glad's debug wrapper, which glad_debug_glX
//     points at, runs the pre-call check (the entry was resolved), calls glad_glX, then reads
//     glGetError (skipped between glBegin and glEnd; the web page's build reads nothing);
//  3. on an ES context only, the layer's stand-in, which holds glad_glX for the entries in the
//     COMPAT_ lists below; it reaches the context through realGl (never checked on its own: the
//     check of 2 after the engine's call covers it) or through entries the layer does not replace;
//  4. the context's own entry point.
// GLU's four calls pass one level only: gluEntryPoints (platform/gl.h), which the layer takes over.
// The layer is installed while the entry points are loaded and the redirect later, when the
// presentation is set up, so each level keeps the one below it.
//
// Names: the stand-in of glX is compatX, of gluX compatGluX, the redirect of glX redirectX; the
// real entry kept for glX is realGl.x (x: X with a small first letter).
#pragma once
#include "platform/gl.h"

// In ES 3.0, but not with the desktop's meaning: the stand-in holds the slot and the real entry is
// kept. Columns: entry point, stand-in, realGl member.
#define COMPAT_REPLACED_ENTRY_POINTS(X)                                        \
    X(glEnable, compatEnable, enable)                                          \
    X(glDisable, compatDisable, disable)                                       \
    X(glIsEnabled, compatIsEnabled, isEnabled)                                 \
    X(glGetFloatv, compatGetFloatv, getFloatv)                                 \
    X(glGetIntegerv, compatGetIntegerv, getIntegerv)                           \
    X(glHint, compatHint, hint)                                                \
    X(glUseProgram, compatUseProgram, useProgram)                              \
    X(glShaderSource, compatShaderSource, shaderSource)                        \
    X(glLinkProgram, compatLinkProgram, linkProgram)                           \
    X(glGetUniformLocation, compatGetUniformLocation, getUniformLocation)      \
    X(glDrawArrays, compatDrawArrays, drawArrays)                              \
    X(glBindTexture, compatBindTexture, bindTexture)                           \
    X(glTexImage2D, compatTexImage2D, texImage2D)                              \
    X(glFramebufferTexture2D, compatFramebufferTexture2D, framebufferTexture2D) \
    X(glRenderbufferStorage, compatRenderbufferStorage, renderbufferStorage)   \
    X(glReadPixels, compatReadPixels, readPixels)                              \
    X(glBeginQuery, compatBeginQuery, beginQuery)                              \
    X(glEndQuery, compatEndQuery, endQuery)                                    \
    X(glCopyTexSubImage2D, compatCopyTexSubImage2D, copyTexSubImage2D)         \
    X(glGenerateMipmap, compatGenerateMipmap, generateMipmap)                  \
    X(glTexParameteri, compatTexParameteri, texParameteri)                     \
    X(glDeleteTextures, compatDeleteTextures, deleteTextures)

// Not in ES 3.0 (the loader leaves the slot empty): the stand-in is all there is, and the restore
// empties the slot again. Columns: entry point, stand-in.
#define COMPAT_SUPPLIED_ENTRY_POINTS(X)                                        \
    X(glBegin, compatBegin)                                                    \
    X(glEnd, compatEnd)                                                        \
    X(glVertex2f, compatVertex2f)                                              \
    X(glVertex3f, compatVertex3f)                                              \
    X(glVertex3fv, compatVertex3fv)                                            \
    X(glNormal3f, compatNormal3f)                                              \
    X(glTexCoord2f, compatTexCoord2f)                                          \
    X(glColor4f, compatColor4f)                                                \
    X(glRectf, compatRectf)                                                    \
    X(glMatrixMode, compatMatrixMode)                                          \
    X(glLoadIdentity, compatLoadIdentity)                                      \
    X(glLoadMatrixf, compatLoadMatrixf)                                        \
    X(glMultMatrixf, compatMultMatrixf)                                        \
    X(glPushMatrix, compatPushMatrix)                                          \
    X(glPopMatrix, compatPopMatrix)                                            \
    X(glTranslatef, compatTranslatef)                                          \
    X(glRotatef, compatRotatef)                                                \
    X(glOrtho, compatOrtho)                                                    \
    X(glGenLists, compatGenLists)                                              \
    X(glNewList, compatNewList)                                                \
    X(glEndList, compatEndList)                                                \
    X(glCallList, compatCallList)                                              \
    X(glLightf, compatLightf)                                                  \
    X(glLightfv, compatLightfv)                                                \
    X(glMaterialf, compatMaterialf)                                            \
    X(glMaterialfv, compatMaterialfv)                                          \
    X(glShadeModel, compatShadeModel)                                          \
    X(glTexEnvi, compatTexEnvi)                                                \
    X(glPushAttrib, compatPushAttrib)                                          \
    X(glPopAttrib, compatPopAttrib)                                            \
    X(glPolygonMode, compatPolygonMode)                                        \
    X(glClearDepth, compatClearDepth)                                          \
    X(glFramebufferTexture, compatFramebufferTexture)                          \
    X(glCopyImageSubData, compatCopyImageSubData)                              \
    X(glTexImage2DMultisample, compatTexImage2DMultisample)                    \
    X(glGetTexLevelParameteriv, compatGetTexLevelParameteriv)                  \
    X(glGetProgramResourceIndex, compatGetProgramResourceIndex)                \
    X(glGetProgramResourceiv, compatGetProgramResourceiv)                      \
    X(glGetQueryObjectui64v, compatGetQueryObjectui64v)

// GLU has no place in the loader: its four calls go through gluEntryPoints (platform/gl.h), which
// the stand-ins take over. Columns: gluEntryPoints member, stand-in.
#define COMPAT_GLU_ENTRY_POINTS(X)                                             \
    X(perspective, compatGluPerspective)                                       \
    X(lookAt, compatGluLookAt)                                                 \
    X(build2DMipmaps, compatGluBuild2DMipmaps)                                 \
    X(scaleImage, compatGluScaleImage)

// Real entries the layer calls without replacing them, kept so that a call from inside the layer
// reaches the context whatever holds the slots above (the redirect holds glBindFramebuffer's).
// Columns: entry point, realGl member.
#define COMPAT_CALLED_ENTRY_POINTS(X)                                          \
    X(glBindFramebuffer, bindFramebuffer)                                      \
    X(glBlitFramebuffer, blitFramebuffer)

// In ES 3.0 but in the desktop profile only from 4.1 to 4.3: the loader, reading the ES context's
// version as 3.x, does not ask for them, so the installer resolves them by name. Column: entry point.
#define ES3_LATER_DESKTOP_ENTRY_POINTS(X)                                      \
    X(glClearDepthf)                                                           \
    X(glDepthRangef)                                                           \
    X(glGetShaderPrecisionFormat)                                              \
    X(glReleaseShaderCompiler)                                                 \
    X(glShaderBinary)                                                          \
    X(glGetProgramBinary)                                                      \
    X(glProgramBinary)                                                         \
    X(glProgramParameteri)                                                     \
    X(glInvalidateFramebuffer)                                                 \
    X(glInvalidateSubFramebuffer)                                              \
    X(glTexStorage2D)                                                          \
    X(glTexStorage3D)                                                          \
    X(glGetInternalformativ)                                                   \
    X(glBindTransformFeedback)                                                 \
    X(glDeleteTransformFeedbacks)                                              \
    X(glGenTransformFeedbacks)                                                 \
    X(glIsTransformFeedback)                                                   \
    X(glPauseTransformFeedback)                                                \
    X(glResumeTransformFeedback)

// The screen-target redirect (level 1), on every context: framebuffer 0 and the window's buffer
// names mapped to the off-screen target. Columns: entry point, redirect, member of the redirect's
// state that keeps the slot's previous occupant.
#define SCREEN_TARGET_REDIRECTS(X)                                             \
    X(glBindFramebuffer, redirectBindFramebuffer, bindFramebuffer)             \
    X(glDrawBuffer, redirectDrawBuffer, drawBuffer)                            \
    X(glDrawBuffers, redirectDrawBuffers, drawBuffers)                         \
    X(glReadBuffer, redirectReadBuffer, readBuffer)

// The one way a slot changes hands: what was there goes to kept, the stand-in takes the slot.
#define INTERCEPT_ENTRY(slot, kept, standIn) \
    do {                                     \
        (kept) = (slot);                     \
        (slot) = (standIn);                  \
    } while (0)
