// Caption lines: not built yet.
#include "draw/text_line.h"

void updateTextLine(TextLine&) {}
void drawTextLine(const TextLine&, sf::RenderTarget&) {}
