#include "demo/scenes.h"

// The scene schedule comes with the music; until then the show is the intro.
void prepareScenes() {}

void runScenes(ScreenBuffer&) {}
