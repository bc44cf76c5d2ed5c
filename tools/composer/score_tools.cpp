#include "score_tools.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "periods.h"

namespace composer {

namespace {

// Slides act on every tick but the first of a row; rows here are 12 or 13 ticks.
constexpr int SLIDE_TICKS_PER_ROW = 11;

int pitchClass(const std::string& text, std::size_t& i) {
    static const int NATURAL[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text.at(i))));
    if (letter < 'a' || letter > 'g') throw std::invalid_argument("note name: " + text);
    int pc = NATURAL[letter - 'a'];
    ++i;
    if (i < text.size() && text[i] == '#') {
        ++pc;
        ++i;
    } else if (i < text.size() && text[i] == 'b') {
        --pc;
        ++i;
    }  // "bb4" and "Bbm": the letter comes first
    return (pc + 12) % 12;
}

int midiOf(const std::string& name) {  // "c#5" -> 73
    std::size_t i = 0;
    const int pc = pitchClass(name, i);
    if (i >= name.size() || !std::isdigit(static_cast<unsigned char>(name[i])))
        throw std::invalid_argument("octave: " + name);
    return 12 * (std::stoi(name.substr(i)) + 1) + pc;
}

}  // namespace

int Chord::tone(int i) const {
    const int n = static_cast<int>(intervals.size());
    return root + 12 * (i / n) + intervals[i % n];
}

std::vector<Chord> chords(const std::string& names) {
    std::vector<Chord> out;
    std::istringstream in(names);
    std::string name;
    while (in >> name) {
        std::size_t i = 0;
        Chord c{pitchClass(name, i), {}};
        const std::string kind = name.substr(i);
        if (kind == "") c.intervals = {0, 4, 7};
        else if (kind == "m") c.intervals = {0, 3, 7};
        else if (kind == "7") c.intervals = {0, 4, 7, 10};
        else if (kind == "m7") c.intervals = {0, 3, 7, 10};
        else if (kind == "maj7") c.intervals = {0, 4, 7, 11};
        else if (kind == "add9") c.intervals = {0, 4, 7, 14};
        else if (kind == "m9") c.intervals = {0, 3, 7, 14};
        else if (kind == "sus") c.intervals = {0, 5, 7};
        else throw std::invalid_argument("chord: " + name);
        out.push_back(c);
    }
    return out;
}

int above(int pitchClass, int floor) {
    int m = floor - ((floor % 12) - pitchClass + 12) % 12;
    return m < floor ? m + 12 : m;
}

void Writer::fault(int row, int ch, const std::string& what) const {
    throw std::out_of_range(segment.name + ", row " + std::to_string(row) + ", channel " + std::to_string(ch) + ": " +
                            what);
}

Cell& Writer::at(int row, int ch) {
    if (row < 0 || row >= length() || ch < 0 || ch >= CHANNELS) fault(row, ch, "cell outside the segment");
    return rows[row][ch];
}

void Writer::note(int row, int ch, SampleId s, int midi, int volume) {
    Cell& c = at(row, ch);
    c.note = midi - voice(s).midiAtC1;
    if (c.note < 0 || c.note > 35)
        fault(row, ch, "MIDI note " + std::to_string(midi) + " outside the sample's three octaves");
    c.sample = s;
    if (volume >= 0) effect(row, ch, SET_VOLUME, volume);
    else if (c.effect == SET_VOLUME && c.param == 0) c.effect = NO_EFFECT;  // the new note replaces a silence
}

void Writer::hit(int row, int ch, SampleId s, int volume, int semitones) {
    Cell& c = at(row, ch);
    c.note = voice(s).trigger + semitones;
    if (c.note < 0 || c.note > 35) fault(row, ch, "drum tuned outside the period table");
    c.sample = s;
    if (volume >= 0) effect(row, ch, SET_VOLUME, volume);
    else if (c.effect == SET_VOLUME && c.param == 0) c.effect = NO_EFFECT;
}

void Writer::effect(int row, int ch, int effect, int param) {
    Cell& c = at(row, ch);
    c.effect = effect;
    c.param = param;
}

void Writer::silenceTones(int row) {
    for (int ch : {BASS, LEAD, ECHO, PAD, FX}) silence(row, ch);
}

void Writer::drums(int row, int count, int ch, SampleId s, const std::string& grid, int volume) {
    const int full = volume < 0 ? voice(s).volume : volume;
    for (int i = 0; i < count && row + i < length(); ++i) {
        switch (grid[i % grid.size()]) {
            case 'X': hit(row + i, ch, s, 64); break;
            case 'x': hit(row + i, ch, s, volume); break;
            case 'o': hit(row + i, ch, s, full * 2 / 3); break;
            case 'g': hit(row + i, ch, s, full / 3); break;
            default: break;
        }
    }
}

void Writer::beat(int row, int count, const Beat& b) {
    if (!b.kick.empty()) drums(row, count, KICK, Kick, b.kick);
    if (!b.snare.empty()) drums(row, count, SNARE, b.snareSample, b.snare);
    if (!b.hats.empty()) drums(row, count, HATS, HatClosed, b.hats);
    if (!b.openHats.empty()) drums(row, count, HATS, HatOpen, b.openHats);
}

void Writer::fill(int row, Fill kind, int beats) {
    const int n = 4 * beats;
    const int first = row + BAR - n;
    for (int i = 0; i < n; ++i) clear(first + i, SNARE);
    switch (kind) {
        case Fill::Roll:
            for (int i = 0; i < n; ++i) hit(first + i, SNARE, Snare, i + 1 == n ? 64 : 16 + 40 * (i + 1) / n);
            break;
        case Fill::Toms:
            // from a fifth above the tom's own pitch down to a fifth below
            for (int i = 0; i < n; ++i) hit(first + i, SNARE, Tom, 48 + 16 * i / n, 7 - 14 * i / std::max(1, n - 1));
            hit(first + n - 1, KICK, Kick, 64);
            break;
        case Fill::Flams: {
            const std::string grid = "Xg.gXgogXgXgXXXX";
            drums(first, n, SNARE, Snare, grid.substr(grid.size() - n));
            break;
        }
        case Fill::Stutter:
            for (int i = 0; i < n; ++i) {
                hit(first + i, SNARE, Snare);
                const int times = i < n / 2 ? 6 : i + 1 < n ? 4 : 3;  // retrigger every so many ticks
                effect(first + i, SNARE, EXTENDED, RETRIGGER | times);
            }
            break;
        case Fill::Drop:
            for (int i = 0; i < n; ++i) {
                clear(first + i, KICK);
                clear(first + i, HATS);
            }
            hit(first + n - 2, SNARE, Snare, 64);
            break;
    }
}

int Writer::melody(int row, int ch, SampleId s, const std::string& line, int volume, int transpose) {
    std::istringstream in(line);
    std::string token;
    while (in >> token && row < length()) {  // a melody longer than the segment is cut at its end
        const std::size_t colon = token.find(':');
        if (colon == std::string::npos) throw std::invalid_argument("melody token: " + token);
        const std::string name = token.substr(0, colon);
        const bool vibrato = token.back() == '~';
        const int rowsHeld = std::stoi(token.substr(colon + 1));
        if (name == "-") silence(row, ch);
        else if (name != "_") note(row, ch, s, midiOf(name) + transpose, volume);
        if (vibrato)
            for (int r = row + 2; r < row + rowsHeld && r < length(); ++r)
                effect(r, ch, VIBRATO, r == row + 2 ? 0x46 : 0x00);
        row += rowsHeld;
    }
    return row;
}

void Writer::echo(int from, int to, int first, int last, int delay, int volume) {
    for (int r = first; r <= last && r + delay < length(); ++r) {
        const Cell& src = at(r, from);
        Cell& dst = at(r + delay, to);
        if (src.note != NO_NOTE) {
            dst.note = src.note;
            dst.sample = src.sample;
            dst.effect = SET_VOLUME;
            dst.param = volume;
        } else if (src.effect == SET_VOLUME && src.param == 0) {
            dst.effect = SET_VOLUME;
            dst.param = 0;
        }
    }
}

void Writer::harmony(int from, int to, int first, int last, const std::vector<Chord>& p, int barsPerChord, int volume) {
    for (int r = first; r <= last && r < length(); ++r) {
        const Cell& src = at(r, from);
        if (src.note == NO_NOTE) {
            if (src.effect == SET_VOLUME && src.param == 0) silence(r, to);
            continue;
        }
        const Chord& c = p[((r - first) / BAR / barsPerChord) % p.size()];
        const auto s = static_cast<SampleId>(src.sample);
        int lower = src.note + voice(s).midiAtC1 - 3;
        while (std::none_of(c.intervals.begin(), c.intervals.end(),
                            [&](int i) { return (c.root + i) % 12 == lower % 12; }))
            --lower;
        note(r, to, s, lower, volume);
    }
}

void Writer::bassLine(int row, int bars, int ch, SampleId s, const std::vector<Chord>& p, int barsPerChord,
                      const std::string& figure, int floor, int volume) {
    const int loud = volume < 0 ? voice(s).volume : volume;
    const int soft = loud * 2 / 3;
    for (int bar = 0; bar < bars; ++bar) {
        const Chord& c = p[(bar / barsPerChord) % p.size()];
        const Chord& next = p[((bar + 1) / barsPerChord) % p.size()];
        const int root = above(c.root, floor);
        const int nextRoot = above(next.root, floor);
        const int passing = nextRoot > root ? nextRoot - 1 : nextRoot < root ? nextRoot + 1 : nextRoot - 1;
        const int seventh = c.intervals.size() > 3 && c.intervals[3] < 12 ? c.intervals[3] : 10;
        for (int i = 0; i < BAR; ++i) {
            const int r = row + bar * BAR + i;
            if (r >= length()) return;
            const char f = figure[(bar * BAR + i) % figure.size()];
            switch (f) {
                case 'R': note(r, ch, s, root, volume); break;
                case 'r': note(r, ch, s, root, soft); break;
                case 'O': note(r, ch, s, root + 12, volume); break;
                case 'o': note(r, ch, s, root + 12, soft); break;
                case 'F': note(r, ch, s, root + 7, volume); break;
                case 'f': note(r, ch, s, root - 5, volume); break;
                case 'T': note(r, ch, s, root + c.intervals[1], volume); break;
                case 'S': note(r, ch, s, root + seventh, volume); break;
                case 'N': note(r, ch, s, root + 2, volume); break;
                case 'P': note(r, ch, s, passing, volume); break;
                case 'p': note(r, ch, s, passing, soft); break;
                case '-': silence(r, ch); break;
                default: break;
            }
        }
    }
}

void Writer::pads(int row, int bars, const std::vector<Chord>& p, int barsPerChord, int floor, int colourChannel,
                  SampleId colourSample) {
    for (int bar = 0; bar < bars; bar += barsPerChord) {
        const Chord& c = p[(bar / barsPerChord) % p.size()];
        const int r = row + bar * BAR;
        if (r >= length()) return;
        if (c.intervals.size() < 3 || c.intervals[2] != 7 || (c.intervals[1] != 3 && c.intervals[1] != 4))
            fault(r, PAD, "the pads hold major and minor triads only");
        // the inversion whose voices lie nearest the last chord's (or, to begin, the middle of
        // the register); the first inversion tried wins a tie
        int bestInversion = 0, bestLow = 0, bestCost = 1 << 30;
        for (int inversion = 0; inversion < 3; ++inversion) {
            const int low = above((c.root + c.intervals[inversion]) % 12, floor);
            const int* shape = TRIAD_SHAPES[c.minor() ? 1 : 0][inversion];
            int cost = 0;
            if (lastVoicing.empty()) cost = std::abs(low + shape[1] - (floor + 9));
            else
                for (int v = 0; v < 3; ++v) cost += std::abs(low + shape[v] - lastVoicing[v]);
            if (cost < bestCost) {
                bestCost = cost;
                bestInversion = inversion;
                bestLow = low;
            }
        }
        const bool joining = !lastVoicing.empty();
        const int* shape = TRIAD_SHAPES[c.minor() ? 1 : 0][bestInversion];
        note(r, PAD, padChord(c.minor(), bestInversion), bestLow);
        if (joining) effect(r, PAD, SAMPLE_OFFSET, 0x08);  // halfway into the attack
        lastVoicing = {bestLow + shape[0], bestLow + shape[1], bestLow + shape[2]};
        if (colourChannel < 0) continue;
        if (c.intervals.size() < 4) {
            silence(r, colourChannel);
            continue;
        }
        const int pc = (c.root + c.intervals[3]) % 12;
        int colour = lastColour < 0 ? above(pc, lastVoicing[1] + 1) : above(pc, lastColour - 6);
        // near the chord, and within the sample's three octaves
        const int lowest = std::max(voice(colourSample).midiAtC1, lastVoicing[0] - 2);
        const int highest = std::min(voice(colourSample).midiAtC1 + NOTE_COUNT - 1, lastVoicing[2] + 10);
        while (colour < lowest) colour += 12;
        while (colour > highest) colour -= 12;
        if (colour < voice(colourSample).midiAtC1) colour += 12;
        note(r, colourChannel, colourSample, colour);
        lastColour = colour;
    }
}

void Writer::arpeggio(int row, int bars, int ch, SampleId s, const std::vector<Chord>& p, int barsPerChord,
                      const std::string& steps, int floor, int volume) {
    for (int i = 0; i < bars * BAR; ++i) {
        const int r = row + i;
        if (r >= length()) return;
        const char step = steps[i % steps.size()];
        if (!std::isdigit(static_cast<unsigned char>(step))) continue;
        Chord voiced = p[(i / BAR / barsPerChord) % p.size()];
        voiced.intervals.resize(3);  // arpeggios run over the triad
        voiced.root = above(voiced.root, floor);
        note(r, ch, s, voiced.tone(step - '0'), volume);
    }
}

void Writer::chipChords(int row, int bars, int ch, const std::vector<Chord>& p, int barsPerChord, int floor) {
    for (int i = 0; i < bars * BAR; ++i) {
        const int r = row + i;
        if (r >= length()) return;
        const Chord& c = p[(i / BAR / barsPerChord) % p.size()];
        if (i % (BAR * barsPerChord) == 0) note(r, ch, Chip, above(c.root, floor));
        // the arpeggio effect must be repeated on every row, so this voice keeps its default volume
        effect(r, ch, ARPEGGIO, (c.intervals[1] << 4) | c.intervals[2]);
    }
}

void Writer::fadeOut(int row, int count, int ch) {
    // each slide row lowers the volume by one per tick after the first
    const int perRow = SLIDE_TICKS_PER_ROW;
    const int slides = (64 + perRow - 1) / perRow;
    for (int i = 0; i < slides; ++i) effect(row + i * count / slides, ch, VOLUME_SLIDE, 0x01);
}

void Writer::swellVolume(int row, int bars, int ch, int from, int to) {
    for (int i = 0; i < bars; ++i)
        effect(row + i * BAR, ch, SET_VOLUME, from + (to - from) * i / std::max(1, bars - 1));
}

void Writer::riser(int row, int count, int ch, SampleId s, int midi, int fromVolume, int toVolume) {
    note(row, ch, s, midi, fromVolume);
    const int climb = PERIODS[midi - voice(s).midiAtC1] - PERIODS.back();
    const int slides = std::min(count - 1, climb / SLIDE_TICKS_PER_ROW);
    const int bars = std::max(1, count / BAR);
    for (int i = 1; i < count; ++i) {
        const int r = row + i;
        if (i % BAR == 0) effect(r, ch, SET_VOLUME, fromVolume + (toVolume - fromVolume) * (i / BAR) / bars);
        else if (slides > 0 && (i * slides) / count != ((i - 1) * slides) / count) effect(r, ch, SLIDE_UP, 1);
    }
}

void Writer::sidechain(int ch, int percent) {
    int volume = 0;  // the channel's volume as the rows leave it; -1 when a slide makes it unknown
    bool ducked = false;
    for (int r = 0; r < length(); ++r) {
        Cell& c = at(r, ch);
        if (ducked && c.note == NO_NOTE && c.effect == NO_EFFECT && volume > 0) effect(r, ch, SET_VOLUME, volume);
        ducked = false;
        if (c.note != NO_NOTE) volume = voice(static_cast<SampleId>(c.sample)).volume;
        if (c.effect == SET_VOLUME) volume = c.param;
        else if (c.effect == VOLUME_SLIDE) volume = -1;
        const Cell& k = at(r, KICK);
        const bool kick =
            k.note != NO_NOTE && (k.sample == Kick || k.sample == Impact) && (k.effect != SET_VOLUME || k.param >= 48);
        if (!kick || volume <= 0) continue;
        if (c.effect == NO_EFFECT) {
            effect(r, ch, SET_VOLUME, volume * percent / 100);
            ducked = true;
        }
    }
}

void Writer::rest(int count) {
    const int first = length() - count;
    for (int r = first; r < length(); ++r)
        for (int ch = 0; ch < CHANNELS; ++ch) clear(r, ch);
    silenceTones(first);
}

void Writer::clearCarryOver() {
    for (int ch : {BASS, LEAD, ECHO, PAD, FX})
        if (rows[0][ch].note == NO_NOTE && rows[0][ch].effect == NO_EFFECT) silence(0, ch);
}

}  // namespace composer
