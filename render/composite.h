// The end-of-frame composite: copy of the finished frame, colour grade, chromatic pass, logo, outro
// picture and fade to black.
#pragma once

// Called once per frame after the part has drawn, with the default framebuffer bound.
void finalComposite();
// Shows outro picture index (sync track event) from the next composite on.
void showOutroPicture(int index);
