#pragma once
// The one who is lost, as the painter paints her: a head with open eyes, a
// soft mouth and long chestnut hair parted on her right, over shoulders in a
// deep red dress, against the dark ground of a portrait with a drape and the
// corner of a chair. Each part is a colour with its own coverage (alpha), so
// that the portrait can be laid in layers, and the same sitter painted small
// in other pictures. One light, the candle's, falls from the picture's right,
// a little above her eyes and in front of her.
#include "paint/canvas.h"

struct Sitter
{
    float x, y;    // centre of the head, pixels
    float rx, ry;  // half width and half height of the head, pixels
};

// Face, ears, neck and the top of the chest (the dress covers the rest).
Colour sitterSkin(float x, float y, const Sitter& s);
// The hair round the face and falling behind the shoulders, in locks; empty
// where the face and neck show through.
Colour sitterHair(float x, float y, const Sitter& s);
// The dress over the shoulders, whose points lie halfWidth pixels either side
// of her; below, near bottom, the brushwork loosens and the paint thins out.
Colour sitterDress(float x, float y, const Sitter& s, float halfWidth, float bottom);
// The room behind her, opaque: a dark ground warmed behind her head by a
// candle that stands on a table beyond her left shoulder, a drape on the
// left. The room is painted key times lighter than its own dark (for a
// portrait finished in a higher key); the candle and its flame keep theirs.
Colour sitterBackground(float x, float y, const Sitter& s, float key = 1);
// The painter's first drawing of her on the light ground, in a faint warm
// grey chalk: her contours, open eyes and calm mouth, the hair from its
// parting, and the shadow side scumbled in.
Colour sitterUnderdrawing(float x, float y, const Sitter& s, float halfWidth, float bottom);

// The stroke direction: along the planes of the face, round its contour,
// and down the body.
float sitterFlow(float x, float y, const Sitter& s);
// The way her hair is combed: sideways from the parting, then down.
float sitterHairFlow(float x, float y, const Sitter& s);
