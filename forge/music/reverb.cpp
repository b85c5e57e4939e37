// The room: a Freeverb-style network of eight damped combs and four
// all-passes per side, the right side's delays a little longer for width.
#include "music/reverb.h"

#include <thread>

namespace {

const int combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int allPassLengths[4] = {556, 441, 341, 225};
const int stereoSpread = 23;
const float inputGain = 0.015f;
const float allPassFeedback = 0.5f;

// One side of the room: the mono input through parallel combs, then serial all-passes.
void reverberateSide(const std::vector<float>& input, std::vector<float>& output, int spread,
                     const ReverbSettings& settings)
{
    float feedback = 0.7f + 0.28f * settings.roomSize;
    float damp = 0.4f * settings.damping;
    std::vector<float> combs[8], allPasses[4];
    size_t combAt[8] = {}, allPassAt[4] = {};
    float combLow[8] = {};
    for (int c = 0; c < 8; ++c) combs[c].assign(combLengths[c] + spread, 0.0f);
    for (int a = 0; a < 4; ++a) allPasses[a].assign(allPassLengths[a] + spread, 0.0f);

    output.assign(input.size(), 0.0f);
    for (size_t i = 0; i < input.size(); ++i) {
        float in = input[i] * inputGain;
        float out = 0.0f;
        for (int c = 0; c < 8; ++c) {
            float delayed = combs[c][combAt[c]];
            combLow[c] = delayed * (1.0f - damp) + combLow[c] * damp;
            combs[c][combAt[c]] = in + combLow[c] * feedback;
            if (++combAt[c] == combs[c].size()) combAt[c] = 0;
            out += delayed;
        }
        for (int a = 0; a < 4; ++a) {
            float delayed = allPasses[a][allPassAt[a]];
            allPasses[a][allPassAt[a]] = out + delayed * allPassFeedback;
            if (++allPassAt[a] == allPasses[a].size()) allPassAt[a] = 0;
            out = delayed - out;
        }
        output[i] = out;
    }
}

}

Stereo reverberate(const Stereo& send, const ReverbSettings& settings)
{
    // Both sides hear the same mono mix, delayed a little before the room answers.
    size_t length = send.left.size();
    size_t preDelay = static_cast<size_t>(settings.preDelaySeconds * musicSampleRate);
    std::vector<float> input(length, 0.0f);
    for (size_t i = preDelay; i < length; ++i)
        input[i] = send.left[i - preDelay] + send.right[i - preDelay];

    Stereo wet;
    std::thread rightSide(reverberateSide, std::cref(input), std::ref(wet.right), stereoSpread,
                          std::cref(settings));
    reverberateSide(input, wet.left, 0, settings);
    rightSide.join();
    return wet;
}
