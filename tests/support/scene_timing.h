#pragma once
// How many frames of a fixed step a scene phase lasts: its timer starts at
// 0, adds the step once per frame in 32-bit floats, and the phase ends on
// the frame whose timer passes the length (strict) or reaches it
// (inclusive). That frame counts; its surplus is dropped.
enum class Threshold
{
    Reached, // timer >= length
    Passed,  // timer > length
};

int phaseFrames(float length, float delta, Threshold threshold);

// Runs one frame of a scene, as runTestFrame does, but onto a small target:
// what a scene draws onto the window costs next to nothing there, so long
// runs of frames stay cheap. Returns the next index.
int runSmallFrame(int sceneIndex, float delta);

// Runs a scene on the small target until it hands over; returns the number
// of frames (the handing-over one included), or -1 after maxFrames.
int runSmallSceneToEnd(int sceneIndex, float delta, int maxFrames = 100000);

// Loads what the player loads at start-up but the shaders, in the show
// directory. Scenes then draw their effects as plain pictures, which costs
// a software rasteriser far less; their timing and state are the same.
// Runs once per process.
void loadShowWithoutShaders();
