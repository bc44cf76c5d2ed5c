#pragma once

struct BITMAP;

namespace Zorvek {

// Draws a 32-bit sprite over a 32-bit memory bitmap by each of its pixels' own alpha, clipped to
// the target's clipping rectangle: exactly what Allegro's draw_trans_sprite gives under its
// alpha blender, and what it is left to in every other case (another blender, depth or kind of
// bitmap).
void drawAlphaSprite(BITMAP* target, BITMAP* sprite, int x, int y);

}  // namespace Zorvek
