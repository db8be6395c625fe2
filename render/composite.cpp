// Owns the composite's grade, title, outro and fade state.
#include "render/composite.h"

static struct {
    bool outroOn;
    int outroIndex;
} outro;

void showOutroPicture(int index) {
    outro.outroOn = true;
    outro.outroIndex = index;
}

void finalComposite() {
}
