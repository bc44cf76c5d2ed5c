// Chapters F9, F10 and F12: the feedback warps, the build-up and the finale to the end screen.
// Every start is K6 plus a constant; the end screen ends at a fixed music time.
#include <allegro.h>

#include "show/velmora.h"

namespace Zorvek {

namespace {
constexpr int SHOW_END = 287000;  // the last events end at 286999, whatever the movie's length
}

void Velmora::scriptEnding(int K6) {
    // Not reformatted: the rows in columns, as the chapter tables give them.
    // clang-format off
    chapter(KEY_F9, K6 + 94000);
    row(K6 + 94000,  100,  {blackness, tagOverlay, eater, copy});
    row(K6 + 94100,  1850, {feeder, rotatingWarpmap2, soften, eater, copy});
    row(K6 + 95950,  975,  {feeder, rotatingWarpmap1, tagOverlay, speckle, speckle, soften, eater, copy});
    row(K6 + 96925,  975,  {feeder, rotatingWarpmap1, speckle, soften, eater, copy, tagOverlay});
    row(K6 + 97900,  1950, {feeder, rotatingWarpmap2, rainbowSeed, soften, eater, copy});
    row(K6 + 99850,  1950, {feeder, rotatingWarpmap1, rainbowSeed, soften, eater, copy});
    row(K6 + 101300, 100,  {rgbug});
    row(K6 + 101500, 100,  {rgbug});
    row(K6 + 101700, 100,  {noise, mix5050});
    row(K6 + 101800, 1950, {feeder, sinusWarpmap, rainbowSeed, soften, eater, copy, bumpmapMix1, rgbug, mix5050});
    row(K6 + 103750, 1950, {feeder, rotatingWarpmap1, soften, eater, copy, bumpmapMix2, mix5050});
    row(K6 + 105700, 1950, {feeder, rotatingWarpmap2, soften, bumpmapMix2, mix5050, eater, copy, lasting(rgbug, 250)});
    row(K6 + 107400, 250,  {rgbug});
    row(K6 + 107650, 1950, {feeder, rotatingWarpmap2, rainbowSeed, soften, eater, copy});
    row(K6 + 109600, 1950, {feeder, sinusWarpmap, speckle, soften, eater, copy});
    row(K6 + 111550, 1950, {feeder, rotatingWarpmap1, rainbowSeed, soften, eater, copy});
    row(K6 + 113500, 1950, {feeder, rotatingWarpmap2, rainbowSeed, soften, eater, copy});
    row(K6 + 115450, 1950, {bumpmapMix2});
    row(K6 + 117400, 1950, {feeder, sinusWarpmap, speckle, soften, eater, copy});
    row(K6 + 119350, 1950, {feeder, sinusWarpmap, speckle, tagOverlay, speckle, soften, eater, copy});
    row(K6 + 121300, 975,  {feeder, sinusWarpmap, speckle, soften, eater, copy});
    row(K6 + 122275, 975,  {feeder, sinusWarpmap, speckle, blur, eater, copy});

    chapter(KEY_F10, K6 + 123250);
    row(K6 + 123250, 250,  {nude4, whiteness, crossfade});
    row(K6 + 123500, 1650, {nude4, copy});
    row(K6 + 124650, 100,  {rgbug});
    row(K6 + 124900, 250,  {phased(flipper, 1000), rgbug});
    row(K6 + 125150, 50,   {noise, vote});
    checkKeypoint(K6 + 125200, 234680);
    row(K6 + 125200, 975,  {phased(gogo3, 100), plasma, mixMul});
    row(K6 + 126175, 975,  {phased(gogo3, 1075), plasma, mix5050});
    row(K6 + 127150, 1950, {phased(gogo3, 100)});
    row(K6 + 129100, 1950, {phased(gogo3, 100), soften, phased(plasma, 900), mixMin});
    row(K6 + 131050, 1950, {phased(gogo3, 100), soften});
    row(K6 + 133000, 1950, {phased(gogo3, 100), blur});
    row(K6 + 134950, 1950, {phased(gogo3, 100), blur, plasma, mixMax});
    row(K6 + 136900, 3900, {phased(gogo3, 100), blur, blur, eater, copy});
    row(K6 + 140800, 444,  {feeder, blur, eater, copy});

    chapter(KEY_F12, K6 + 141244);
    row(K6 + 141244, 1706, {phased(mandelbrot102, 1000), phased(metaBalls102, 700), mix5050});
    row(K6 + 142950, 1462, {phased(mandelbrot102, 3150), phased(metaBalls102, 2850), dither5050});
    row(K6 + 144412, 488,  {phased(mandelbrot102, 3150), phased(metaBalls102, 2850), metaBalls101, mix5050, dither5050});
    row(K6 + 144900, 2437, {blackness, spiral104, metaBalls101, mix5050});
    row(K6 + 147337, 1463, {phased(mandelbrot101, 5200), eater, copy, edge});
    row(K6 + 148800, 1950, {phased(metaBalls102, 9000), rgbug});
    row(K6 + 150750, 1950, {magicPink, syncobeam, phased(plasma, 1150), rgbug, mix2575});
    row(K6 + 152700, 366,  {canvas, nude1, eater, copy});
    row(K6 + 153066, 609,  {feeder, soften, eater, copy});
    row(K6 + 153675, 366,  {nude3, eater, copy});
    row(K6 + 154041, 609,  {feeder, soften, eater, copy});
    row(K6 + 154650, 366,  {nude2b, eater, copy});
    row(K6 + 155016, 609,  {feeder, soften, eater, copy});
    row(K6 + 155625, 366,  {nude4, eater, copy});
    row(K6 + 155991, 609,  {feeder, rotatingWarpmap1, soften, eater, copy});
    row(K6 + 156600, 975,  {feeder, sinusWarpmap, soften, eater, copy});
    row(K6 + 157575, 975,  {feeder, rotatingWarpmap2, blur, eater, copy});
    row(K6 + 158550, 487,  {metaBalls102, metaBalls103, mix5050, metaBalls101, mix2575, whiteness, crossfade});
    row(K6 + 159037, 975,  {phased(metaBalls102, 487), phased(metaBalls103, 487), mix5050, phased(metaBalls101, 487), mix2575});
    row(K6 + 160012, 488,  {bumpmapMix2, eater, rgbug});
    row(K6 + 160500, 975,  {feeder, phased(bumpmapMix2, 487), mix2575, eater, copy});
    row(K6 + 161475, 731,  {phased(bumpmapMix1, 975), spiral103, soften});
    row(K6 + 162206, 488,  {phased(bumpmapMix1, 1706), rgbug});
    row(K6 + 162694, 1706, {brutal, blur, phased(bumpmapMix2, 2194), crossfade});
    row(K6 + 164400, 975,  {blackness, spiral104, phased(metaBalls103, 9000), mix5050});
    row(K6 + 165375, 975,  {magicPink, syncobeam, phased(metaBalls103, 9975), mix5050});
    row(K6 + 166350, 975,  {mrsHollow, copy, phased(melon1, 488), melon2, speckle, speckle, noise, mix2575});
    row(K6 + 167325, 975,  {neon, dancers, copy, crossfade});
    row(K6 + 168300, 975,  {feeder, rotatingWarpmap1, speckle, tagOverlay, speckle, soften, eater, copy});
    row(K6 + 169275, 975,  {feeder, sinusWarpmap, speckle, soften, eater, copy});
    // The flashes: 144 ms of a picture, 100 ms of noise.
    row(K6 + 170250, 144,  {logo2, whiteness, crossfade});
    row(K6 + 170394, 100,  {noise});
    row(K6 + 170494, 144,  {gogo1, blur, phased(flipper, 6000)});
    row(K6 + 170638, 100,  {noise});
    row(K6 + 170738, 144,  {warning, phased(flipper, 6000)});
    row(K6 + 170882, 100,  {noise});
    row(K6 + 170982, 144,  {phased(mibobo, 450), phased(flipper, 1000), frameOverlay, noise, mix5050});
    row(K6 + 171126, 100,  {noise});
    row(K6 + 171226, 144,  {logo1, copy, frameOverlay});
    row(K6 + 171370, 100,  {noise});
    row(K6 + 171470, 144,  {gogo2, blur, frameOverlay});
    row(K6 + 171614, 100,  {noise, frameOverlay});
    row(K6 + 171714, 144,  {endScreen, copy});
    row(K6 + 171858, 100,  {noise});
    row(K6 + 171958, 144,  {title2, phased(flipper, 1000), frameOverlay});
    row(K6 + 172102, 100,  {noise, lasting(vote, 50)});
    row(K6 + 172202, SHOW_END - (K6 + 172202), {endScreen, copy});
    row(K6 + 172702, 150,  {rgbug});
    row(K6 + 173202, 250,  {rgbug});
    // clang-format on
}

}  // namespace Zorvek
