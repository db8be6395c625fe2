// Owns nothing: the loaders, the layer and the render targets own what this makes again.
#include "shell/gl_remake.h"

#include "assets/texture.h"         // texture sets are looked up by name: emptied, they are loaded again
#include "core/diagnostics.h"
#include "core/gl_loader.h"
#include "glcompat/compat_layer.h"
#include "platform/platform.h"
#include "render/mesh_draw.h"        // the spot receivers' programs
#include "render/render_targets.h"   // the cube as the show starts
#include "shell/loading.h"
#include "shell/present.h"
#include "shell/show.h"

void remakeGlObjects() {
    forgetCompatObjects();
    forgetEnvironmentCubeStart();
    forgetSpotReceiverPrograms();
    resetTextureSets();
    // Loading steps one frame of part A for the cube it saves: from the show's start, as at start-up.
    resetShowState();
    if (!loadGlEntryPoints()) fatalExit(-1, "glad error!\n");
    setUpPresentation(false);
    platformSetMusicEnabled(false);   // the music in memory stays, and where it was
    loadAll();
    platformSetMusicEnabled(true);
}
