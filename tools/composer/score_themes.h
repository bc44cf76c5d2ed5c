#pragma once
// The tunes that come back: the main theme, its chords, and its answer.

namespace composer {

// Eight bars over THEME_CHORDS, one chord a bar; 3-3-2 syncopation is its hook. The pads colour
// the chords with sevenths and a ninth; the finale plays all of it a tone higher.
constexpr const char* THEME_CHORDS = "Am7 Fmaj7 Cadd9 G Am7 Fmaj7 G E7";
constexpr const char* FINALE_CHORDS = "Bm7 Gmaj7 Dadd9 A Bm7 Gmaj7 A F#7";
constexpr const char* THEME_A =
    "a4:3 c5:3 e5:4 d5:2 c5:2 b4:2  c5:3 a4:3 f4:4 a4:2 c5:2 d5:2  "
    "e5:3 g5:3 e5:4 d5:2 c5:2 d5:2  b4:3 d5:3 g4:6 -:4";
constexpr const char* THEME_B =
    "a4:3 c5:3 e5:4 a5:4 g5:2  f5:3 e5:3 c5:4 a4:2 c5:2 f5:2  "
    "e5:3 d5:3 b4:4 g4:2 b4:2 d5:2  g#4:6 b4:2 e5:8~";

}  // namespace composer
