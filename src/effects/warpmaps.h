#pragma once
// Warp maps: filters that move every pixel of the frame below through a table of source
// addresses built when the effect starts.

#include "effects/effect.h"

namespace Zorvek {

// Pops a frame, gathers its pixels through map into its own frame and pushes that. map is a
// second scratch frame used as a table: entry (x, y) = source column << 16 | source row.
class WarpmapEffect : public ProtectedFrameEffect {
public:
    BITMAP* map = nullptr;  // borrowed and returned together with frame; fixed while running

    void start() override;
    void render() override;
    void stop() override;
    const char* name() override;
    // Fills map; called once per start. The base leaves the borrowed frame's contents as they are.
    virtual void computeMap();

private:
    // One past the largest column and row that map addresses, measured at start.
    int mapColumns = 0;
    int mapRows = 0;

    void measureMap();
};

// Turns the picture by angle about the centre and scales distances from it by scale, per pass
// at a 60 Hz refresh rate and proportionally less at higher rates.
class RotatingWarpmapEffect : public WarpmapEffect {
public:
    float angle = 0.0f;  // radians
    float scale = 1.0f;

    const char* name() override;
    void computeMap() override;
};

// Bends the picture: columns shift by a sine of the row, rows by a cosine of the column, by up
// to 8 pixels, wrapping around the edges.
class SinusWarpmapEffect : public WarpmapEffect {
public:
    const char* name() override;
    void computeMap() override;
};

}  // namespace Zorvek
