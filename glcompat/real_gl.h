// The ES context's own entry points behind the ones the layer takes over, and the layer's one way to
// report; for the layer's modules. The table is generated from interceptions.h and filled by
// installCompatLayer before any module runs; calls through it are not error-checked on their own
// (the check after the engine's call covers them).
#pragma once
#include "glcompat/interceptions.h"

struct RealGl {
#define REAL_GL_MEMBER(entry, standIn, member) decltype(glad_##entry) member;
    COMPAT_REPLACED_ENTRY_POINTS(REAL_GL_MEMBER)
#undef REAL_GL_MEMBER
#define REAL_GL_CALLED_MEMBER(entry, member) decltype(glad_##entry) member;
    COMPAT_CALLED_ENTRY_POINTS(REAL_GL_CALLED_MEMBER)
#undef REAL_GL_CALLED_MEMBER
};
extern RealGl realGl;

// Where reportCompat's lines go (null: nowhere); set by the installer.
void setCompatReport(void (*report)(const char *line));
// One line for whoever installed the layer (a call it cannot do as asked); printed by the caller.
void reportCompat(const char *format, ...);
