// The off-screen render-target pool (frame-history ring, scene targets, shadow targets), created
// once during loading and never freed, and the screen-space drawing every post effect uses.
#pragma once
#include "platform/gl.h"
#include "platform/platform.h"   // SCREEN_WIDTH, SCREEN_HEIGHT: the show renders at a fixed size

constexpr int FX_RING_SIZE = 60;           // frame-history targets, one second at 60 Hz
constexpr int FX_WIDTH = 960;              // history targets are half size
constexpr int FX_HEIGHT = 540;
constexpr int SHADOW_MAP_SIZE = 1024;      // one light's map
// Spot lights of the rig, each with its map stacked vertically in shmap1; the receiver shaders
// declare their light arrays with this size (Lights[4] and the rest).
constexpr int SPOT_LIGHT_COUNT = 4;
constexpr int ENV_FACE_SIZE = 512;         // pixels per face of the environment cube map

struct RenderTarget {
    GLuint framebuffer;
    GLuint colour;   // GL_TEXTURE_2D, or GL_TEXTURE_2D_MULTISAMPLE for the multisample targets
    GLuint depth;    // depth renderbuffer, or depth-stencil renderbuffer for multisample targets
    // GL_TEXTURE_2D_MULTISAMPLE for a multisample target with one sample; GL_TEXTURE_2D for the
    // others and for multisample targets where the driver would round one sample up.
    GLenum colourTarget;
    int width;
    int height;
};

// Written once by the init functions below; read by every renderer.
extern RenderTarget fxfb[FX_RING_SIZE];
extern RenderTarget fxfbms;
extern RenderTarget fb1;      // RGBA copy of the finished frame; scene and depth-as-colour target
extern RenderTarget fb2;      // multisample scene target of the light-rig parts (one sample)
extern RenderTarget fb3;      // colour-grade output
extern RenderTarget fb4;      // spare
extern RenderTarget fb5;      // resolve target of fb2
extern RenderTarget fb6;      // second multisample target
extern RenderTarget shmap1;   // 1024 x 4096 spot-light atlas, light i in rows i*1024 .. i*1024+1023
extern RenderTarget shmap2;   // 1024 x 1024 target of every depth pass
extern RenderTarget shmap3;   // 1024 x 1024 copy of the latest depth pass (also the glenz map)
// 512 x 512 target of the six environment faces, the frame's scratch target; the first framebuffer
// the show creates.
extern RenderTarget envTarget;
extern GLuint environmentCube;   // cube map of the room, rendered every frame

// The environment cube map, every face starting as env.tga brought to ENV_FACE_SIZE.
void initEnvironmentCube();
// A copy of the environment cube with its whole mip chain, taken as the show starts, and its return
// into the cube (a seek that starts the show over; nothing when no copy was taken).
void saveEnvironmentCubeStart();
// The context that held the saved cube is gone: the next save makes it again.
void forgetEnvironmentCubeStart();
void restoreEnvironmentCubeStart();
// The environment target; called before any other target so its framebuffer comes first.
void initEnvironmentTarget();
// The ring and its multisample companion; false when the ring is incomplete (fxfbms is then not
// built). Logs nothing on failure.
bool initFxTargets();
// initFxTargets, then fb1..fb6 in order. Stops at the first incomplete scene target (logged) and
// returns false. On success leaves fb1 bound as GL_FRAMEBUFFER with viewport 0, 0, 1920, 1080.
bool initRenderTargets();
// shmap1, shmap2, shmap3 in that order. Leaves framebuffer 0 bound.
void initShadowTargets();

// One screen-covering quad (two triangles, texture coordinates 0..1) in the fixed 1920 x 1080
// pixel space with whatever program, textures, viewport and framebuffer are current. Colour is
// set to white. Leaves depth test, face culling and blending enabled (blending even if it was off
// before) and the matrix stacks as they were.
void drawFullscreenPass();
// Draws texture over the rectangle (pixels, origin bottom left) with alpha blending and the
// current colour, fixed-function (no program; texturing as enabled on unit 0). Leaves lighting
// off, depth test and culling on, blending on with SRC_ALPHA / ONE_MINUS_SRC_ALPHA, unit 0 active
// with the texture bound.
void drawImageRect(int x, int y, int w, int h, GLuint texture);
// Rectangle between two corners (pixels) with the current colour, program and texture binding,
// alpha blended. Leaves depth test, culling and blending (SRC_ALPHA / ONE_MINUS_SRC_ALPHA) on.
void drawRect(float x0, float y0, float x1, float y1);
