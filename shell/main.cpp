// Program entry.
#include "shell/show.h"

int main() {
    return runShow();
}
