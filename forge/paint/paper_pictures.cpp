// The sketch's paper and the warm light that drifts over it, the pencil's
// graphite dab, the glint, and the heat shader's distortion map.
#include "paint/brush.h"
#include "paint/noise.h"
#include "paint/pictures.h"
#include "paint/poem_page.h"
#include "paint/shapes.h"

#include <cmath>

Canvas paintSketchPaper()
{
    // Cream paper in a pool of lamplight, light where the pencil draws her
    // and where the second poem's lines lie over it, the light dying away
    // softly into a violet near-black beyond them: the evening the grave
    // leaves on screen before that poem. The paper has a fine tooth, a grain
    // or two across, that the pencil's line lies on while it is sharp.
    const PoemPool pool = poolRound(secondPoemInk);
    Composition paper = [=](float x, float y) {
        float cloud = fractalNoise(x / 260.f, y / 260.f, 4, 1001);
        Colour c = mix(rgb(236, 232, 220), rgb(226, 218, 200), cloud * 0.7f);
        uint32_t px = uint32_t(x), py = uint32_t(y);
        float tooth = 0.6f * hashUnit(px, py, 1003) + 0.4f * hashUnit(px / 2, py / 2, 1004) - 0.5f;
        c = scaled(c, 1 + 0.03f * tooth);
        float away = poolFalloff(pool, x, y, secondPoolSeed);
        // The light dies away warm into the dusk, as lamplight does.
        Colour dusk = mix(rgb(4, 4, 6), rgb(8, 6, 9), cloud);
        Colour fading = mix(c, dusk, away);
        float warm = 4 * away * (1 - away);
        fading.r *= 1 + 0.07f * warm, fading.b *= 1 - 0.12f * warm;
        return fading;
    };
    Canvas canvas = renderComposition(screenW, screenH, paper);
    PaintStyle finish;
    finish.surface = Surface::paper;
    finish.grain = 0.06f;
    finishSurface(canvas, finish);
    return canvas;
}

Canvas paintLightLeak()
{
    // A warm cloud of light, soft-edged and uneven, on its upper left. It
    // drifts across the screen, so it must fade out well before the
    // picture's own edges, or they would show as straight lines.
    Composition leak = [](float x, float y) {
        float d = length((x - 400) / 1.3f, y - 320);
        float wobble = fractalNoise(x / 160.f, y / 160.f, 3, 1101);
        float strength = std::exp(-std::pow(d / (200 + 110 * wobble), 2)) * 0.42f;
        float border = std::min(std::min(x, y), std::min(screenW - x, screenH - y));
        strength *= smoothstep(0, 180, border);
        Colour c = mix(rgb(214, 150, 86), rgb(238, 196, 130), wobble);
        c.a = strength;
        return c;
    };
    return renderComposition(screenW, screenH, leak);
}

Canvas paintPencilDab()
{
    // Graphite: a wide, low dome, darkest at its middle and thinning away to
    // nothing at the sprite's edge. The sketch lays its stamps 4 to 12 px
    // apart at full size and about 8 px apart at half size in the bust. A
    // flat dab with an edge shows each stamp's rim wherever two overlap and
    // a stroke reads as a string of beads; a dome reaching out to the edge
    // melts into one line at full size, smooths the rare 10 to 12 px
    // stretches a little, and at half size its rim just meets its
    // neighbours'. A flatter top would join the halved stamps better, but
    // only by beading every full-size stroke.
    //
    // The paper's tooth leaves light grains where the graphite misses, a
    // pixel wide as the paper's are, thick in the thin outer part so the
    // line's edges break up, none in its dark middle. One stamp's grains
    // come back at every stamp, so larger clusters would show as a pattern
    // along the line.
    Composition dab = [](float x, float y) {
        const float spread = 10.0f, strength = 0.6f;
        float r = length(x - 8, y - 8);
        float rim = std::exp(-64 / (2 * spread * spread));
        float dome = clamp01((std::exp(-r * r / (2 * spread * spread)) - rim) / (1 - rim));
        float grain = clamp01((hashUnit(uint32_t(x), uint32_t(y), 1201) - 0.5f) / 0.5f);
        float outer = clamp01((r - 2) / 4);
        return rgb(72, 68, 66, strength * dome * (1 - 0.6f * grain * outer));
    };
    return renderComposition(stampSize, stampSize, dab);
}

Canvas paintGlint()
{
    // Light caught on wet paint: a white-hot head about three pixels across
    // in a warm gaussian halo that fades out just inside the sprite's edge.
    // The glints are drawn at half to full size about 9 px apart, so each
    // halo reaches well into its neighbours' and a chain of them fuses into
    // one glowing filament, brighter where glints crowd, rather than a row
    // of separate beads. Round, so the glints' spin never shows as a star
    // or as the sprite's square edge.
    Composition glint = [](float x, float y) {
        float r = length(x - 8, y - 8);
        float head = smoothstep(1.7f, 0.9f, r);
        float rim = clamp01(1 - r * r / 64);
        float halo = 0.72f * std::exp(-(r * r) / 60.f) * rim * std::sqrt(std::sqrt(rim));
        float cover = clamp01(head + (1 - head) * halo);
        Colour c = mix(rgb(255, 206, 138), rgb(255, 252, 240), clamp01(head + 0.6f * std::exp(-r * r / 6.f)));
        c.a = cover;
        return c;
    };
    return renderComposition(stampSize, stampSize, glint);
}

Canvas paintHeatMap()
{
    // Two independent smooth noises that tile, in red and green.
    const int size = 256, period = 8;
    Composition heat = [=](float x, float y) {
        float u = x * period / size, v = y * period / size;
        float r = 0.65f * tiledNoise(u, v, period, 1301) + 0.35f * tiledNoise(u * 2, v * 2, period * 2, 1302);
        float g = 0.65f * tiledNoise(u, v, period, 1303) + 0.35f * tiledNoise(u * 2, v * 2, period * 2, 1304);
        return Colour{r, g, 0, 1};
    };
    return renderComposition(size, size, heat);
}
