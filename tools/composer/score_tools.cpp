#include "score_tools.h"

#include <cctype>
#include <sstream>
#include <algorithm>
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
    if (i < text.size() && text[i] == '#') { ++pc; ++i; }
    else if (i < text.size() && text[i] == 'b') { --pc; ++i; }  // "bb4" and "Bbm": the letter comes first
    return (pc + 12) % 12;
}

int midiOf(const std::string& name) {  // "c#5" -> 73
    std::size_t i = 0;
    const int pc = pitchClass(name, i);
    if (i >= name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) throw std::invalid_argument("octave: " + name);
    return 12 * (std::stoi(name.substr(i)) + 1) + pc;
}


int softer(SampleId s) { return voice(s).volume * 2 / 3; }

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
    throw std::out_of_range(name + ", row " + std::to_string(row) + ", channel " + std::to_string(ch) + ": " + what);
}

Cell& Writer::at(int row, int ch) {
    if (row < 0 || row >= length() || ch < 0 || ch >= CHANNELS) fault(row, ch, "cell outside the segment");
    return rows[row][ch];
}

void Writer::note(int row, int ch, SampleId s, int midi, int volume) {
    Cell& c = at(row, ch);
    c.note = midi - voice(s).midiAtC1;
    if (c.note < 0 || c.note > 35) fault(row, ch, "MIDI note " + std::to_string(midi) + " outside the sample's three octaves");
    c.sample = s;
    if (volume >= 0) effect(row, ch, SET_VOLUME, volume);
    else if (c.effect == SET_VOLUME && c.param == 0) c.effect = NO_EFFECT;  // the new note replaces a silence
}

void Writer::hit(int row, int ch, SampleId s, int volume) {
    Cell& c = at(row, ch);
    c.note = voice(s).trigger;
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
    for (int ch : {BASS, LEAD, ECHO, PAD_R, PAD_L}) silence(row, ch);
}

void Writer::drums(int row, int count, int ch, SampleId s, const std::string& grid) {
    for (int i = 0; i < count && row + i < length(); ++i) {
        const char g = grid[i % grid.size()];
        if (g == 'x') hit(row + i, ch, s);
        else if (g == 'o') hit(row + i, ch, s, softer(s));
    }
}

void Writer::beat(int row, int count, const Beat& b) {
    if (!b.kick.empty()) drums(row, count, KICK, Kick, b.kick);
    if (!b.snare.empty()) drums(row, count, SNARE, b.snareSample, b.snare);
    if (!b.hats.empty()) drums(row, count, HATS, HatClosed, b.hats);
    if (!b.openHats.empty()) drums(row, count, HATS, HatOpen, b.openHats);
}

void Writer::turnaround(int row) {
    for (int i = 0; i < 4; ++i) hit(row + 12 + i, SNARE, Snare, 30 + 10 * i);
}

void Writer::fill(int row, const std::string& chord, const Beat& b) {
    const auto c = chords(chord);
    beat(row, BAR, b);
    bassLine(row, 1, BASS, Bass, c, 1, "R.R.R.R.O.O.O.O.", 28);
    padChords(row, 1, c, 1, Pad, 56);
}

int Writer::melody(int row, int ch, SampleId s, const std::string& line, int volume) {
    std::istringstream in(line);
    std::string token;
    while (in >> token && row < length()) {  // a melody longer than the segment is cut at its end
        const std::size_t colon = token.find(':');
        if (colon == std::string::npos) throw std::invalid_argument("melody token: " + token);
        const std::string name = token.substr(0, colon);
        const bool vibrato = token.back() == '~';
        const int rowsHeld = std::stoi(token.substr(colon + 1));
        if (name == "-") silence(row, ch);
        else if (name != "_") note(row, ch, s, midiOf(name), volume);
        if (vibrato)
            for (int r = row + 2; r < row + rowsHeld && r < length(); ++r) effect(r, ch, VIBRATO, r == row + 2 ? 0x46 : 0x00);
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

void Writer::bassLine(int row, int bars, int ch, SampleId s, const std::vector<Chord>& p, int barsPerChord,
                      const std::string& figure, int floor) {
    for (int bar = 0; bar < bars; ++bar) {
        const Chord& c = p[(bar / barsPerChord) % p.size()];
        const int root = above(c.root, floor);
        for (int i = 0; i < BAR; ++i) {
            const int r = row + bar * BAR + i;
            if (r >= length()) return;
            const char f = figure[(bar * BAR + i) % figure.size()];
            switch (f) {
                case 'R': note(r, ch, s, root); break;
                case 'r': note(r, ch, s, root, softer(s)); break;
                case 'O': note(r, ch, s, root + 12); break;
                case 'o': note(r, ch, s, root + 12, softer(s)); break;
                case 'F': note(r, ch, s, root + 7); break;
                case 'f': note(r, ch, s, root - 5); break;
                case 'T': note(r, ch, s, root + c.intervals[1]); break;
                case '-': silence(r, ch); break;
                default: break;
            }
        }
    }
}

void Writer::padChords(int row, int bars, const std::vector<Chord>& p, int barsPerChord, SampleId s, int floor) {
    for (int bar = 0; bar < bars; bar += barsPerChord) {
        const Chord& c = p[(bar / barsPerChord) % p.size()];
        const int r = row + bar * BAR;
        if (r >= length()) return;
        // the third and the fifth (or seventh) over the bass's root, one on each side
        const int third = above((c.root + c.intervals[1]) % 12, floor);
        const int top = above((c.root + c.intervals.back()) % 12, third + 1);
        note(r, PAD_R, s, third);
        note(r, PAD_L, s, top);
    }
}

void Writer::arpeggio(int row, int bars, int ch, SampleId s, const std::vector<Chord>& p, int barsPerChord,
                      const std::string& steps, int floor, int volume) {
    for (int i = 0; i < bars * BAR; ++i) {
        const int r = row + i;
        if (r >= length()) return;
        const char step = steps[i % steps.size()];
        if (!std::isdigit(static_cast<unsigned char>(step))) continue;
        const Chord& c = p[(i / BAR / barsPerChord) % p.size()];
        Chord voiced = c;
        voiced.root = above(c.root, floor);
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

void Writer::clearCarryOver() {
    for (int ch : {BASS, LEAD, ECHO, PAD_R, PAD_L})
        if (rows[0][ch].note == NO_NOTE && rows[0][ch].effect == NO_EFFECT) silence(0, ch);
}

}  // namespace composer
