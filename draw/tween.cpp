// Tween groups: not built yet.
#include "draw/tween.h"

TweenGroup stampGroup;
TweenGroup glintGroup;

void createTweenGroup(TweenGroup&, int, sf::Sprite*) {}
void setTweenTargets(TweenGroup&, const TweenPoint*, float) {}
void updateTweenGroup(TweenGroup&) {}
void drawTweenGroup(TweenGroup&, sf::RenderTarget&) {}
void releaseTweenGroup(TweenGroup&) {}
