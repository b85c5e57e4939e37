#pragma once
// Keeps the sound libraries under the show quiet: without a sound device
// the show plays silently, and neither OpenAL nor the system's own sound
// layer may flood standard error about it. Call before any of them runs.
void quietSoundLibraries();
