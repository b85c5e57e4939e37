#pragma once
// Building the show's process-wide GL objects (the shaders, the distortion
// map, the off-screen target and the blur's targets). Building one opens the
// display, so a program builds them only once it knows there is one.

// Builds them all, once; later calls do nothing. They are destroyed at exit.
void createGraphicsObjects();

// Whether they have been built.
bool graphicsObjectsCreated();
