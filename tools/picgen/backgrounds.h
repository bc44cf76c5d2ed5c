#pragma once
// Scenery shared by many pictures: skies, starfields, checkerboard floors, copper bars, spheres.

#include <vector>

#include "canvas.h"

namespace picgen {

// Vertical gradient through the stops, from row y0 (first stop) to row y1 (last stop).
void verticalGradient(Image& img, const std::vector<Colour>& stops, float y0, float y1);
// Elliptic gradient from `inner` at (cx, cy) to `outer` at the radii and beyond.
void radialGradient(Image& img, float cx, float cy, float rx, float ry, Colour inner, Colour outer);
// Stars of varying brightness; the brightest get a small cross glint.
void starfield(Image& img, std::uint64_t seed, int count, float maxRow);
// A sun disk cut by horizontal gaps that widen towards its bottom.
void stripedSun(Image& img, float cx, float cy, float r, Colour top, Colour bottom, Colour gap);
// A perspective checkerboard from the horizon row down, fading into haze at the horizon.
void checkerFloor(Image& img, float horizon, Colour a, Colour b, Colour haze, float tiles = 8, float shift = 0);
// A perspective grid of glowing lines on a dark floor.
void gridFloor(Image& img, float horizon, Colour floor, Colour line, Colour haze);
// A copper bar: a horizontal band with a cosine-shaded profile.
void copperBar(Image& img, float centre, float halfHeight, Colour c);
// Mountains: a jagged silhouette between rows, filled with a vertical ramp.
void mountains(Image& img, std::uint64_t seed, float baseRow, float peak, Colour top, Colour bottom);

struct SphereLook {
    Colour base = rgb(0xD02060);
    Colour specular{1, 1, 1};
    float shininess = 40;
    bool chrome = false;  // reflect a sky/floor environment instead of the base colour
    float spin = 0;       // turns the reflected floor, in tiles
    Colour skyTop = rgb(0x102060), skyLow = rgb(0xFF60C0), floorA = rgb(0x200830), floorB = rgb(0xFFB040);
};
// A lit sphere, its light from the upper left, with a rim of reflected light.
void sphere(Image& img, float cx, float cy, float r, const SphereLook& look);
// A soft elliptic shadow on the floor.
void floorShadow(Image& img, float cx, float cy, float rx, float ry, float opacity);

}  // namespace picgen
