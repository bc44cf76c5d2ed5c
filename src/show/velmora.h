#pragma once

#include <initializer_list>

#include "effects/bumpmaps.h"
#include "effects/effect.h"
#include "effects/filters.h"
#include "effects/copy_and_trash.h"
#include "effects/feedback.h"
#include "effects/fills.h"
#include "effects/noise.h"
#include "effects/rgbug.h"
#include "effects/vertical_flipper.h"
#include "effects/image_effects.h"
#include "effects/mandelbrot.h"
#include "effects/melon.h"
#include "effects/menace_movie.h"
#include "effects/metaballs.h"
#include "effects/mibobo.h"
#include "effects/mixers.h"
#include "effects/plasma.h"
#include "effects/spirals.h"
#include "effects/syncobeam.h"
#include "effects/warpmaps.h"
#include "demo/demo.h"

namespace Zorvek {

// One entry of a timeline row: an effect, with the phase and the duration of its event where
// they differ from the row's.
struct Cue {
    Effect* effect;
    int phase = 0;
    int duration = -1;  // -1: the row's duration

    Cue(Effect& e) : effect(&e) {}  // NOLINT: rows name their effects plainly
    Cue(Effect& e, int phase, int duration) : effect(&e), phase(phase), duration(duration) {}
};

inline Cue phased(Effect& e, int phase) { return Cue(e, phase, -1); }
inline Cue lasting(Effect& e, int duration) { return Cue(e, 0, duration); }
inline Cue lasting(Cue cue, int duration) { return Cue(*cue.effect, cue.phase, duration); }

// The show: every effect instance, configured by the script, which also fills the timeline.
class Velmora : public Demo {
public:
    using Demo::Demo;

    CopyEffect copy;
    CanvasEffect canvas;
    TrashEffect trash;
    BlacknessEffect blackness;
    WhitenessEffect whiteness;
    MagicPinkEffect magicPink;
    MixMinEffect mixMin;
    MixMaxEffect mixMax;
    MixMulEffect mixMul;
    MixXorEffect mixXor;
    Mix2575Effect mix2575;
    Mix5050Effect mix5050;
    Mix7525Effect mix7525;
    Dither5050Effect dither5050;
    Soften3x3Effect soften;
    Blur3x3Effect blur;
    Sharpen3x3Effect sharpen;
    Emboss3x3Effect emboss;
    Edge3x3Effect edge;
    CrossfadeEffect crossfade;
    ImageEffect logo1;
    ImageEffect logo2;
    ImageEffect logo8;
    InterlaceEffect nude1;
    ImageEffect nude2;
    ImageEffect nude2b;
    ImageEffect nude3;
    ImageEffect nude4;
    SpriteBlitEffect logo4;
    AlphaBlitEffect frameOverlay;
    ImageEffect tag1bit;
    AlphaBlitEffect tagOverlay;
    ImageEffect warning;
    ImageEffect endScreen;
    ImageEffect mrsHollow;
    ImageEffect dancers;
    ImageEffect neon;
    ImageEffect specs;
    HorScrollBlitEffect qrScroll;
    ImageEffect breakScreen;
    ImageEffect welcome;
    BouncyMelonEffect melon1;
    BouncyMelonEffect melon2;
    FeedbackFeederEffect feeder;
    FeedbackEaterEffect eater;
    MetaBalls101 metaBalls101;
    MetaBalls102 metaBalls102;
    MetaBalls103 metaBalls103;
    MetaBalls104 metaBalls104;
    Mandelbrot101 mandelbrot101;
    Mandelbrot102 mandelbrot102;
    MenaceMovieEffect gogo1;
    MenaceMovieEffect gogo2;
    MenaceMovieEffect gogo3;
    SpriteBlitEffect live;
    SyncobeamEffect syncobeam;
    HorScrollBlitEffect creditsScroll;
    RgbugEffect rgbug;
    NoiseEffect noise;
    VerticalFlipperEffect flipper;
    ImageEffect tested;
    ImageEffect title1;
    ImageEffect title2;
    MiboboEffect mibobo;
    Spiral101 spiral101;
    Spiral102 spiral102;
    Spiral103 spiral103;
    Spiral104 spiral104;
    PlasmaEffect plasma;
    Plasma101 plasma101;
    ParallelLineInterferenceEffect lines1;
    ParallelLineInterferenceEffect lines2;
    MenaceMovieEffect brutal;
    SpeckleEffect speckle;
    RotatingWarpmapEffect rotatingWarpmap1;
    RotatingWarpmapEffect rotatingWarpmap2;
    SinusWarpmapEffect sinusWarpmap;
    RainbowSeed rainbowSeed;
    BumpmapMixEffect bumpmapMix1;
    BumpmapEffect bumpmap1;
    BumpmapEffect bumpmap2;
    BumpmapMixEffect bumpmapMix2;
    TodoEffect vote;

    void script() override;

private:
    void setUpEffects();
    // The chapters, in the order the timeline is filled. From the movie section on, times are
    // counted in H, half the first movie's period, and from chapter F6 on from K6, the end of the
    // movie section.
    void scriptOpening(int H);  // F1 to F5: 0 to the end of the movie section
    void scriptMiddle(int K6);  // F6 to F8
    void scriptEnding(int K6);  // F9, F10 and F12, to the end screen

    // Adds one event per cue, all starting at `start`.
    void row(int start, int duration, std::initializer_list<Cue> cues);
    // Sets a chapter key's jump point; called just before the chapter's first event.
    void chapter(int scancode, int start);
    // Warns when a time computed from the data differs from the one the music was made for.
    void checkKeypoint(int computed, int expected);
};

}  // namespace Zorvek
