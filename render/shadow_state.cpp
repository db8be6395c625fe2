// Owns the shadow state (directional light, spot lights, light matrices, clip planes). The light
// parameters persist until a part changes them.
#include "render/shadow_state.h"

ShadowState shadowState = {
    {1.0f, 2.0f, 2.0f}, 0.05f, 0.015f, 0.005f, 0.0015f,
    {}, {}, {}, {}, 60.0f, {1.0f, 1.0f, 1.0f, 1.0f},
    {}, {}, {}, {}, {}, {},
    0, {}, {},
};
