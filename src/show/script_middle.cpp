// Chapters F6 to F8: spirals and plasma, the intermission, the bump maps. Every start is K6, the
// end of the movie section, plus a constant.
#include <allegro.h>

#include "show/velmora.h"

namespace Zorvek {

void Velmora::scriptMiddle(int K6) {
    // Not reformatted: the rows in columns, as the chapter tables give them.
    // clang-format off
    chapter(KEY_F6, K6);
    row(K6,         1662, {blackness, spiral104, blur});
    row(K6 + 1662,  488,  {blackness, phased(spiral104, 1662), emboss});
    row(K6 + 2150,  1950, {blackness, phased(spiral104, 2150), blur});
    row(K6 + 4100,  3900, {tag1bit, phased(plasma101, 1150), mixXor, rgbug, frameOverlay});
    row(K6 + 8000,  1462, {blackness, spiral102, emboss});
    row(K6 + 9462,  488,  {blackness, spiral103, emboss});
    row(K6 + 9950,  1950, {blackness, spiral101, emboss});
    row(K6 + 11900, 1462, {tag1bit, lines1, phased(lines2, 500), mix5050, mixXor, rgbug, frameOverlay});
    row(K6 + 13362, 488,  {tag1bit, phased(lines1, 3200), mixXor, phased(flipper, 100), frameOverlay});
    row(K6 + 13850, 1950, {tag1bit, phased(lines1, 2800), mixXor, rgbug, frameOverlay});
    row(K6 + 15800, 3900, {blackness, spiral104, emboss});
    row(K6 + 19700, 1462, {tag1bit, phased(lines1, 500), phased(plasma101, 2000), mix5050, mixXor, frameOverlay});
    row(K6 + 21162, 488,  {tag1bit, phased(lines1, 1962), phased(plasma101, 3462), mixMax, mixXor, frameOverlay});
    row(K6 + 21650, 1950, {tag1bit, phased(lines1, 2450), phased(plasma101, 3950), mix5050, mixXor, frameOverlay, eater});
    row(K6 + 23600, 1462, {feeder, spiral101, eater, copy});
    row(K6 + 25062, 488,  {feeder, spiral103, eater, copy, emboss});
    row(K6 + 25550, 1950, {feeder, phased(spiral103, 487), eater, copy});
    row(K6 + 27500, 1462, {blackness, spiral104, spiral101, soften, eater, copy});
    row(K6 + 28962, 488,  {blackness, phased(spiral104, 1462), phased(spiral101, 1462), soften, lasting(tagOverlay, 388)});
    row(K6 + 29450, 1900, {blackness, phased(spiral104, 1462), phased(spiral101, 1462), soften, tagOverlay, eater, copy});
    row(K6 + 31350, 50,   {noise, vote, soften});

    chapter(KEY_F7, K6 + 31400);
    checkKeypoint(K6 + 31400, 140880);
    row(K6 + 31400, 500,  {breakScreen, noise, mix2575, rgbug, phased(flipper, 6000), frameOverlay});
    row(K6 + 31900, 1650, {breakScreen, noise, mix2575, rgbug, frameOverlay});
    row(K6 + 33550, 5850, {mrsHollow, copy, melon1, phased(melon2, 488), speckle, speckle, noise, mix2575});
    row(K6 + 39400, 3900, {mibobo, whiteness, noise, mix5050, mix2575, lasting(phased(flipper, 4000), 500)});
    row(K6 + 43300, 1450, {phased(mibobo, 3900), whiteness, noise, mix5050, mix2575});
    row(K6 + 44750, 500,  {whiteness, phased(mibobo, 5350), whiteness, noise, mix5050, mix2575, flipper, crossfade});
    row(K6 + 45250, 975,  {nude3, whiteness, crossfade});
    row(K6 + 46225, 3900, {nude3, copy});
    row(K6 + 50125, 975,  {whiteness, nude3, copy, crossfade});
    row(K6 + 51100, 1950, {neon, copy, lasting(rgbug, 250), qrScroll});
    row(K6 + 53050, 1950, {dancers, neon, copy, crossfade, phased(qrScroll, 1950)});
    row(K6 + 55000, 1950, {dancers, copy, phased(qrScroll, 3900)});
    row(K6 + 56950, 1950, {dancers, specs, copy, mixMax, lasting(rgbug, 250), phased(qrScroll, 5850)});
    row(K6 + 58900, 1950, {specs, neon, dancers, copy, crossfade, mixMax, phased(qrScroll, 7800)});
    row(K6 + 60700, 150,  {rgbug});
    row(K6 + 60850, 975,  {neon, copy, phased(qrScroll, 9750)});
    row(K6 + 61825, 475,  {welcome, noise, mix2575, rgbug, frameOverlay, eater, copy});
    row(K6 + 62300, 500,  {feeder, blur, eater, copy});

    chapter(KEY_F8, K6 + 62800);
    row(K6 + 62800, 1950, {feeder, nude2, phased(flipper, 6000), mix2575, eater, copy});
    row(K6 + 64750, 1950, {nude2, copy});
    row(K6 + 66700, 1950, {brutal, blur, nude2, copy, crossfade});
    row(K6 + 68650, 1950, {brutal, blur});
    row(K6 + 70600, 3900, {bumpmap1, brutal, blur, crossfade});
    row(K6 + 74500, 3900, {whiteness, phased(bumpmap1, 3900), crossfade});
    row(K6 + 78400, 1950, {bumpmap2, whiteness, crossfade});
    row(K6 + 80350, 1950, {bumpmap2});
    row(K6 + 82300, 975,  {bumpmap2, brutal, blur, crossfade});
    row(K6 + 83275, 975,  {brutal, blur, bumpmap2, crossfade});
    row(K6 + 84250, 1950, {bumpmap2});
    row(K6 + 86200, 1950, {logo8, bumpmap2, crossfade});
    row(K6 + 88150, 1950, {logo8, copy});
    row(K6 + 90100, 1950, {bumpmap2, rgbug, logo8, copy, crossfade});
    row(K6 + 92050, 1950, {bumpmap2, rgbug});
    // clang-format on
}

}  // namespace Zorvek
