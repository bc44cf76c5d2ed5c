#pragma once
// The score of the whole show: one function per section, and the song that strings them together
// at the show's chapter times.

#include "song.h"

namespace composer {

// The show's sync points, in ms of music time. Chapters after the movie section are placed
// relative to its end, which depends on the movie's beat `movieBeatMs` (490 with the shipped movie).
struct ShowTimes {
    double movieBeatMs = 490.0;
    double afterMovie() const { return 93800.0 + 32.0 * movieBeatMs; }
};

Song composeSong(const ShowTimes& times);

// Sections; each fills a segment that the song has sized. The keys move through the show: A minor
// for the opening, the groove and the theme; E minor for the credits; D dorian for the movies;
// C minor for the spirals; F major for the intermission; D minor for the bump maps; E minor for the
// warps and their breakdown; the build-up turns to B minor, where the theme comes back a tone
// higher for the finale.
void opening(Segment& s);          // noise, logos and the warning: tension
void groove(Segment& s);           // the main groove
void theme(Segment& s);            // the main theme
void creditsIntro(Segment& s);     // the short break before the credits
void credits(Segment& s);          // the ray caster: deep bass, bright highs, left against right
void creditsMirrored(Segment& s);  // the same, the sides swapped
void movie(Segment& s);            // a funky break under the movies
void spiralsIntro(Segment& s);
void spirals(Segment& s);  // arpeggio trance under spirals and plasma
void intermissionIntro(Segment& s);
void intermission(Segment& s);  // bouncing melons: a lighter tune in a major key
void bumps(Segment& s);         // darker, with an acid line
void warps(Segment& s);         // long and hypnotic, then the breakdown
void buildUp(Segment& s);
void stop(Segment& s);          // the held breath before the finale
void finalePickup(Segment& s);  // three and a half beats on the dominant into the finale
void finale(Segment& s);
void flashes(Segment& s);  // eight hits under the eight flashes
void outro(Segment& s);

}  // namespace composer
