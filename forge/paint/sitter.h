#pragma once
// The one who is lost, as the painter paints her: a head with open eyes, a
// soft mouth and long chestnut hair, over shoulders in a deep red dress. Each
// part is a colour with its own coverage (alpha), so that the portrait can be
// laid in layers, and the same sitter painted small in other pictures.
// Light falls from the upper left.
#include "paint/canvas.h"

struct Sitter
{
    float x, y;    // centre of the head, pixels
    float rx, ry;  // half width and half height of the head, pixels
};

// Face, ears and neck.
Colour sitterSkin(float x, float y, const Sitter& s);
// The hair round the face and falling behind the shoulders; empty where the
// face and neck show through.
Colour sitterHair(float x, float y, const Sitter& s);
// The dress over the shoulders, out to halfWidth pixels either side and down
// to bottom; the neckline leaves the throat bare.
Colour sitterDress(float x, float y, const Sitter& s, float halfWidth, float bottom);

// The stroke direction that wraps round the head and runs down the body.
float sitterFlow(float x, float y, const Sitter& s);
