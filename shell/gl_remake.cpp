// Owns nothing: the loaders, the layer and the render targets own what this makes again.
#include "shell/gl_remake.h"

#include "assets/shader.h"          // the programs' generation: lookups made in the lost ones are stale
#include "assets/texture.h"         // texture sets are looked up by name: emptied, they are loaded again
#include "core/clock.h"
#include "core/diagnostics.h"
#include "core/gl_loader.h"
#include "glcompat/compat_layer.h"
#include "platform/platform.h"
#include "render/mesh_draw.h"        // the spot receivers' programs
#include "render/render_targets.h"   // the cube as the show starts
#include "shell/loading.h"
#include "shell/present.h"

void remakeGlObjects() {
    forgetCompatObjects();
    forgetEnvironmentCubeStart();
    forgetSpotReceiverPrograms();
    resetTextureSets();
    shaderProgramGeneration++;
    // Loading takes the clock's time zero from the fixed-step clock's frame: the show's first, as at
    // start-up. (The frame of part A it steps and the cube it saves stand for nothing afterwards: the
    // replay restores the show's state and draws the cube's warm-up.)
    setCaptureFrame(0);
    if (!loadGlEntryPoints()) fatalExit(-1, "glad error!\n");
    setUpPresentation(false);
    platformSetMusicEnabled(false);   // the music in memory stays, and where it was
    loadAll();
    platformSetMusicEnabled(true);
}
