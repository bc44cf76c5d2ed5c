// Chapters F1 to F5: the opening, the fractal zooms, the metaballs, the credits and the movie
// section. One row per start time; within a row the events build the picture bottom up.
#include <allegro.h>

#include "show/velmora.h"

namespace Zorvek {

void Velmora::scriptOpening(int H) {
    // Not reformatted: the rows in columns, as the chapter tables give them.
    // clang-format off
    chapter(KEY_F1, 0);
    row(0,     500,  {logo1, tested, copy, crossfade, noise, rgbug, mix5050, phased(flipper, 6000), frameOverlay});
    row(500,   1450, {logo1, noise, rgbug, mix5050, phased(flipper, 6500), frameOverlay});
    row(1950,  975,  {logo1, copy, frameOverlay, noise, rgbug, mix2575});
    row(2925,  3650, {logo1, eater, copy, frameOverlay});
    row(6575,  725,  {feeder, blur, speckle, frameOverlay, eater, copy});
    row(7300,  250,  {feeder, blur, eater, copy});
    row(7550,  250,  {feeder, phased(flipper, 2000), noise, mix5050});
    row(7800,  150,  {warning, noise, frameOverlay, mix5050, frameOverlay, phased(flipper, 7000)});
    row(7950,  150,  {warning, noise, frameOverlay, mix5050, phased(flipper, 7150)});
    row(8100,  5650, {warning, copy});
    row(13750, 500,  {warning, noise, frameOverlay, mix2575});
    row(14250, 250,  {tested, copy, phased(flipper, 5000), noise, frameOverlay, rgbug, mix5050});
    row(14500, 250,  {tested, copy, noise, mix5050, rgbug, phased(flipper, 5250), frameOverlay});
    row(14750, 250,  {title2, copy});

    chapter(KEY_F2, 15000);
    row(15000, 5000, {mandelbrot101, lasting(blur, 2000), lasting(rgbug, 250)});
    row(15500, 100,  {rgbug});
    row(15650, 50,   {rgbug});
    row(17000, 2000, {soften, lasting(rgbug, 500)});
    row(19000, 150,  {rgbug});
    row(19150, 850,  {sharpen});
    row(20000, 2000, {phased(metaBalls101, 7000), emboss});
    row(22000, 6000, {phased(mandelbrot101, 4500)});
    row(22200, 200,  {rgbug});
    row(28000, 2000, {metaBalls103, lasting(rgbug, 250)});
    row(30000, 5000, {phased(mandelbrot101, 10000), lasting(rgbug, 500)});
    row(35000, 2000, {phased(metaBalls101, 500), rgbug});
    row(37000, 8000, {phased(mandelbrot101, 14000)});
    row(39000, 2000, {logo4});
    row(41000, 2000, {soften, logo4});
    row(43000, 2000, {blur, logo4});

    chapter(KEY_F3, 45000);
    row(45000, 1950, {title1, copy});
    row(46350, 100,  {rgbug});
    row(46600, 350,  {phased(flipper, 1000), rgbug});
    row(46950, 1950, {phased(metaBalls102, 1000)});
    row(48900, 1950, {phased(metaBalls103, 1950), phased(metaBalls102, 2950), mix5050});
    row(50850, 1950, {phased(metaBalls103, 3900), phased(metaBalls102, 2950), mix5050, metaBalls101, mix5050});
    row(52800, 1950, {metaBalls101, phased(metaBalls102, metaBalls102.period - 2950), mix5050, rgbug});
    row(54750, 1950, {phased(metaBalls102, 9000), rgbug});
    row(56700, 1950, {metaBalls101});
    row(58150, 500,  {rgbug});
    row(58650, 2925, {logo2, metaBalls104, mixMax});
    row(61575, 975,  {logo2, copy});
    row(62550, 1950, {phased(mandelbrot102, 1000), phased(metaBalls102, 9000), mix5050});
    row(64250, 250,  {rgbug});
    row(64500, 1950, {phased(mandelbrot102, 2950), phased(metaBalls102, 10950), dither5050, lasting(rgbug, 250)});
    row(66450, 2200, {phased(mandelbrot102, 7350), emboss});
    row(68650, 1700, {phased(mandelbrot102, 6000), edge});
    row(70350, 2925, {phased(mandelbrot102, 2950), phased(metaBalls102, 500), mix5050});
    row(73025, 250,  {rgbug});
    row(73275, 2925, {phased(mandelbrot102, 5875), phased(metaBalls102, 3425), dither5050});

    chapter(KEY_F4, 76200);
    row(76200, 2200,  {canvas, nude1});
    row(78400, 15400, {magicPink, creditsScroll, syncobeam, copy, soften, lasting(canvas, 600), lasting(nude1, 600), lasting(crossfade, 600)});

    // The movie section, in beats of the first movie.
    const int F5 = 93800;
    chapter(KEY_F5, F5);
    row(F5,          2 * H, {gogo1, blur, live, blur});
    row(F5 + 2 * H,  8 * H, {gogo1, blur, blur});
    row(F5 + 10 * H, 5 * H, {gogo1, blur, soften});
    row(F5 + 15 * H, 2 * H, {gogo2, blur});
    row(F5 + 17 * H, 3 * H, {phased(gogo1, H), blur});
    row(F5 + 20 * H, 6 * H, {phased(gogo1, 4 * H), soften});
    row(F5 + 26 * H, 5 * H, {gogo1});
    row(F5 + 31 * H, H,     {gogo2});
    // clang-format on
}

}  // namespace Zorvek
