// Owns the shadow state (directional light, spot lights, light matrices, clip planes). The light
// parameters persist until a part changes them.
#include "render/shadow_state.h"
#include "core/state_blocks.h"   // the show's list of state blocks

static const ShadowState INITIAL_SHADOW_STATE = {
    {1.0f, 2.0f, 2.0f}, 0.05f, 0.015f, 0.005f, 0.0015f,
    {}, {}, {}, {}, 60.0f, {1.0f, 1.0f, 1.0f, 1.0f},
    {}, {}, {}, {}, {}, {},
    0, {}, {},
};

ShadowState shadowState = INITIAL_SHADOW_STATE;

void resetShadowState() {
    shadowState = INITIAL_SHADOW_STATE;
}

void addShadowState() {
    addStateBlock("shadow state: shadowState", &shadowState, sizeof shadowState, resetShadowState);
}
