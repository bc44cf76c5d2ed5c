// velmora-review: figures of the show, for the next pass on its pictures and its music.
//
//   velmora-review [--assets DIR] [--frames DIR [--from MS] [--fps N]] [--sheets DIR]
//
// With the frames of a capture (velmora-capture --frames writes them to OUT/frames) it measures
// the light of every chapter and stretch; from the show's script and its module it measures the
// cuts against the rows and onsets, the downbeats at the chapters, the loudness and the bands.
// It prints what it finds and judges nothing: the limits the show holds to are tests.

#include <allegro.h>
#include <loadpng.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio.h"
#include "frames.h"
#include "module_rows.h"
#include "runtime/data_dir.h"
#include "schedule.h"
#include "sheets.h"

using namespace review;

namespace {

struct Options {
    std::string assets, frames, sheets;
    int from = 0, fps = 60;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool value = i + 1 < argc;
        if (a == "--assets" && value) o.assets = argv[++i];
        else if (a == "--frames" && value) o.frames = argv[++i];
        else if (a == "--sheets" && value) o.sheets = argv[++i];
        else if (a == "--from" && value) o.from = std::atoi(argv[++i]);
        else if (a == "--fps" && value) o.fps = std::atoi(argv[++i]);
        else return false;
    }
    return o.fps > 0 && o.from >= 0;
}

std::string clock(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%7.2f s", ms / 1000.0);
    return text;
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) {
        if (n == "Copy") continue;  // a copy shows nothing of its own
        if (!out.empty()) out += ", ";
        out += n;
    }
    return out;
}

// Maximal spans over which one effect is active (its events merged where they touch).
std::vector<std::pair<int, int>> spansOf(const Schedule& s, const std::string& effect) {
    std::vector<std::pair<int, int>> spans;
    std::vector<ScheduledEvent> events;
    for (const ScheduledEvent& e : s.events)
        if (e.effect == effect) events.push_back(e);
    std::sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.start < b.start; });
    for (const ScheduledEvent& e : events) {
        if (!spans.empty() && e.start <= spans.back().second + 1)
            spans.back().second = std::max(spans.back().second, e.end);
        else spans.push_back({e.start, e.end});
    }
    return spans;
}

// --- pictures ---------------------------------------------------------------------------------

void reportLight(const Schedule& s, const std::vector<FrameLight>& light) {
    std::printf("\n== Light (mean luma of each frame, 0..255) ==\n");
    std::printf("%-8s %8s %8s %8s %12s %12s\n", "chapter", "mean", "darkest", "lightest", "under 25", "over 200");
    for (const Chapter& c : s.chapters) {
        double sum = 0, low = 1e9, high = 0;
        int n = 0, dark = 0, white = 0;
        for (const FrameLight& f : light)
            if (f.ms >= c.start && f.ms < c.end) {
                sum += f.luma;
                low = std::min(low, f.luma);
                high = std::max(high, f.luma);
                dark += f.luma < 25;
                white += f.luma > 200;
                ++n;
            }
        if (n == 0) continue;
        std::printf("%-8s %8.1f %8.1f %8.1f %11.1f%% %11.1f%%\n", c.name.c_str(), sum / n, low, high, 100.0 * dark / n,
                    100.0 * white / n);
    }
    // runs of frames beyond a threshold that last a second or more
    const auto runs = [&](const char* title, auto beyond) {
        std::printf("%s lasting 1 s or more:\n", title);
        int shown = 0;
        for (std::size_t i = 0; i < light.size();) {
            if (!beyond(light[i].luma)) {
                ++i;
                continue;
            }
            std::size_t j = i;
            double sum = 0;
            while (j < light.size() && beyond(light[j].luma)) sum += light[j++].luma;
            const int from = light[i].ms, to = j < light.size() ? light[j].ms : light[j - 1].ms + 17;
            if (to - from >= 1000) {
                std::printf("  %s - %s  %5.2f s  luma %5.1f  %s: %s\n", clock(from).c_str(), clock(to).c_str(),
                            (to - from) / 1000.0, sum / (j - i), s.chapterAt(from).name.c_str(),
                            joined(s.activeAt((from + to) / 2)).c_str());
                ++shown;
            }
            i = j;
        }
        if (!shown) std::printf("  none\n");
    };
    runs("Dark stretches (luma under 25)", [](double l) { return l < 25; });
    runs("White-outs (luma over 200)", [](double l) { return l > 200; });

    std::printf("Stretches of the light-bearing effects (mean luma; darkest second; mean change a frame):\n");
    for (const char* effect : {"2D Bumpmap", "2D Depthmap", "Interlace Flicker"}) {
        for (auto [from, to] : spansOf(s, effect)) {
            double sum = 0, change = 0;
            int n = 0;
            for (const FrameLight& f : light)
                if (f.ms >= from && f.ms <= to) {
                    sum += f.luma;
                    change += f.change;
                    ++n;
                }
            if (n == 0) continue;
            double darkest = 1e9;
            for (int at = from; at + 1000 <= to + 1; at += 100) {
                double d = 0;
                int m = 0;
                for (const FrameLight& f : light)
                    if (f.ms >= at && f.ms < at + 1000) {
                        d += f.luma;
                        ++m;
                    }
                if (m) darkest = std::min(darkest, d / m);
            }
            std::printf("  %-17s %s - %s  %-4s luma %5.1f  darkest second %5.1f  change %5.1f\n", effect,
                        clock(from).c_str(), clock(to + 1).c_str(), s.chapterAt(from).name.c_str(), sum / n,
                        darkest < 1e9 ? darkest : sum / n, change / n);
        }
    }
}

// --- cuts and rows ----------------------------------------------------------------------------

void reportCuts(const Schedule& s, const ModuleTiming& m, const std::vector<double>& onsetTimes) {
    std::vector<double> rows, beats;
    for (const ModuleRow& r : m.rows) rows.push_back(r.ms);
    for (const NoteStart& n : m.notes)
        if (isBeatDrum(n.sample)) beats.push_back(n.ms);
    std::printf("\n== Cuts (%zu picture changes) against the module: within 10 ms of ==\n", s.cuts.size());
    std::printf("%-8s %6s %10s %14s %10s\n", "chapter", "cuts", "a row", "a beat drum", "an onset");
    for (const Chapter& c : s.chapters) {
        int n = 0, row = 0, beat = 0, onset = 0;
        for (int cut : s.cutsIn(c.start, c.end)) {
            ++n;
            row += nearest(rows, cut) <= 10;
            beat += nearest(beats, cut) <= 10;
            onset += nearest(onsetTimes, cut) <= 10;
        }
        std::printf("%-8s %6d %9d%% %13d%% %9d%%\n", c.name.c_str(), n, 100 * row / std::max(1, n),
                    100 * beat / std::max(1, n), 100 * onset / std::max(1, n));
    }
    const Chapter& last = s.chapters.back();
    std::printf("%s cut by cut (ms from the cut to the nearest row / beat drum / onset):\n", last.name.c_str());
    for (int cut : s.cutsIn(last.start, last.end))
        std::printf("  %s  %+7.1f %+7.1f %+7.1f  %s\n", clock(cut).c_str(), nearestOffset(rows, cut),
                    nearestOffset(beats, cut), nearestOffset(onsetTimes, cut), joined(s.activeAt(cut)).c_str());

    // the noise frames of the flash run, against the notes of a noise sample
    std::vector<double> noises;
    for (const NoteStart& n : m.notes)
        if (n.sample.find("noise") != std::string::npos) noises.push_back(n.ms);
    std::printf("Noise frames of %s (100 ms of noise) against the nearest noise note:\n", last.name.c_str());
    int shown = 0;
    for (const ScheduledEvent& e : s.events)
        if (e.effect == "Noise" && e.start >= last.start && e.end - e.start + 1 <= 100) {
            std::printf("  %s  %+6.1f ms\n", clock(e.start).c_str(), nearestOffset(noises, e.start));
            ++shown;
        }
    if (!shown) std::printf("  none\n");
}

// --- sound ------------------------------------------------------------------------------------

void reportSound(const Schedule& s, const ModuleTiming& m, const Sound& sound, const std::vector<double>& onsetTimes) {
    const Loudness loud(sound);
    std::printf("\n== Downbeats: the 250 ms after each chapter's cut against the 250 ms before ==\n");
    std::printf("%-8s %10s %10s %10s %10s %12s\n", "chapter", "at", "before", "after", "rise", "onset");
    for (const Chapter& c : s.chapters) {
        if (c.start == 0) continue;
        const double before = loud.of(sound, c.start - 250, c.start), after = loud.of(sound, c.start, c.start + 250);
        std::printf("%-8s %10s %7.1f LU %7.1f LU %7.1f dB %+9.1f ms\n", c.name.c_str(), clock(c.start).c_str(), before,
                    after, after - before, nearestOffset(onsetTimes, c.start));
    }
    std::printf("Chapters against the nearest start of an order entry:");
    for (const Chapter& c : s.chapters) std::printf(" %s %+.1f", c.name.c_str(), nearestOffset(m.orderStarts, c.start));
    std::printf(" ms\n");

    std::printf("\n== Loudness ==\n");
    std::printf("integrated %.1f LUFS, range %.1f LU, correlation of the sides %.2f\n", loud.integrated(), loud.range(),
                correlation(sound, 0, s.end));
    std::printf("%-8s %14s %14s %14s\n", "chapter", "short-term max", "short-term min", "min after 2 s");
    for (const Chapter& c : s.chapters) {
        double high = -1e9, low = 1e9, settled = 1e9;
        for (int t = (c.start + 3000 + 99) / 100 * 100; t <= c.end; t += 100) {
            const double v = loud.shortTerm(t);
            high = std::max(high, v);
            low = std::min(low, v);
            if (t >= c.start + 2000) settled = std::min(settled, v);
        }
        std::printf("%-8s %9.1f LUFS %9.1f LUFS %9.1f LUFS\n", c.name.c_str(), high, low, settled);
    }
    if (s.chapters.size() > 1) {
        const Chapter& second = s.chapters[1];
        double low = 1e9;
        int at = 0;
        for (int t = second.start + 2000; t <= second.end; t += 100)
            if (loud.shortTerm(t) < low) {
                low = loud.shortTerm(t);
                at = t;
            }
        std::printf(
            "short-term at the end of %s %.1f LUFS; the lowest from %s + 2 s (%.0f s) on %.1f LUFS, at %.1f s\n",
            s.chapters[0].name.c_str(), loud.shortTerm(second.start), second.name.c_str(),
            (second.start + 2000) / 1000.0, low, at / 1000.0);
    }

    std::printf("\n== Bands (share of the energy) ==\n");
    const std::vector<std::pair<double, double>> bands = {
        {20, 60}, {60, 250}, {250, 2000}, {2000, 8000}, {8000, 24000}};
    std::printf("%-8s %8s %8s %8s %8s %8s\n", "chapter", "<60", "60-250", "250-2k", "2k-8k", ">8k");
    const auto line = [&](const std::string& name, double from, double to) {
        std::printf("%-8s", name.c_str());
        for (const BandShare& b : bandShares(sound, from, to, bands)) std::printf(" %7.2f%%", 100 * b.share);
        std::printf("\n");
    };
    for (const Chapter& c : s.chapters) line(c.name, c.start, c.end);
    line("show", 0, s.end);

    // how well the onsets find the drums, so that the figures above can be trusted
    int found = 0, drums = 0;
    for (const NoteStart& n : m.notes)
        if (isBeatDrum(n.sample) && n.ms < s.end) {
            ++drums;
            found += nearest(onsetTimes, n.ms) <= 10;
        }
    std::printf("\nonsets: %zu found; %d of %d beat-drum notes (%.0f%%) have one within 10 ms\n", onsetTimes.size(),
                found, drums, 100.0 * found / std::max(1, drums));
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: velmora-review [--assets DIR] [--frames DIR [--from MS] [--fps N]] [--sheets DIR]\n");
        return 2;
    }
    const std::filesystem::path assets =
        o.assets.empty() ? Zorvek::locateShowData("velmora-review").folder : std::filesystem::absolute(o.assets);
    const std::filesystem::path frames = o.frames.empty() ? "" : std::filesystem::absolute(o.frames);
    const std::filesystem::path sheets = o.sheets.empty() ? "" : std::filesystem::absolute(o.sheets);
    std::error_code ec;
    std::filesystem::current_path(assets, ec);
    if (ec) {
        std::fprintf(stderr, "velmora-review: cannot enter %s\n", assets.string().c_str());
        return 2;
    }
    const Schedule schedule = readSchedule();
    ModuleTiming module;
    std::string error;
    if (!readModuleTiming("drift.mod", module, error)) {
        std::fprintf(stderr, "velmora-review: %s\n", error.c_str());
        return 1;
    }
    Sound sound;
    if (!decodeModule("drift.mod", schedule.end, sound)) {
        std::fprintf(stderr, "velmora-review: the sound layer cannot decode drift.mod\n");
        return 1;
    }
    const std::vector<double> onsetTimes = onsets(sound);
    std::printf("velmora-review of %s: %zu events, %zu chapters, show %.3f s; module %.3f s, %zu rows, %zu positions\n",
                assets.string().c_str(), schedule.events.size(), schedule.chapters.size(), schedule.end / 1000.0,
                module.lengthMs / 1000.0, module.rows.size(), module.orderStarts.size());

    if (!frames.empty()) {
        if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) return 1;
        set_color_depth(32);
        register_png_file_type();
        ShowSheets sheet(schedule.chapters);
        std::vector<FrameLight> light;
        if (!readFrames(
                frames.string(), o.from, o.fps, light,
                [&](int ms, BITMAP* frame) {
                    if (!sheets.empty()) sheet.offer(ms, frame);
                },
                error)) {
            std::fprintf(stderr, "velmora-review: %s\n", error.c_str());
            return 1;
        }
        std::printf("%zu frames from %s, %d.%03d to %d.%03d s\n", light.size(), frames.string().c_str(),
                    light.front().ms / 1000, light.front().ms % 1000, light.back().ms / 1000, light.back().ms % 1000);
        reportLight(schedule, light);
        if (!sheets.empty() && !sheet.write(sheets.string(), error)) {
            std::fprintf(stderr, "velmora-review: %s\n", error.c_str());
            return 1;
        }
    }
    reportCuts(schedule, module, onsetTimes);
    reportSound(schedule, module, sound, onsetTimes);
    return 0;
}
