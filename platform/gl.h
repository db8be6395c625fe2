// OpenGL for the engine: the generated loader (every call error-checked) and GLU, in that order.
#pragma once
#include <glad/gl.h>
#include <GL/glu.h>
