#include "module_rows.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace review {

namespace {

std::string text(const char* s) {
    std::string out = s ? s : "";
    openmpt_free_string(s);
    return out;
}

// The ticks a note waits on this cell (an EDx note delay), or 0.
int noteDelay(openmpt_module* m, int pattern, int row, int channel) {
    const std::string effect = text(
        openmpt_module_format_pattern_row_channel_command(m, pattern, row, channel, OPENMPT_MODULE_COMMAND_EFFECT));
    const std::string param = text(
        openmpt_module_format_pattern_row_channel_command(m, pattern, row, channel, OPENMPT_MODULE_COMMAND_PARAMETER));
    if (effect != "E" || param.size() != 2 || (param[0] != 'D' && param[0] != 'd')) return 0;
    return static_cast<int>(std::strtol(param.substr(1).c_str(), nullptr, 16));
}

}  // namespace

bool isBeatDrum(const std::string& sample) {
    for (const char* drum : {"kick", "snare", "clap", "impact"})
        if (sample.find(drum) != std::string::npos) return true;
    return false;
}

double nearest(const std::vector<double>& times, double ms) { return std::fabs(nearestOffset(times, ms)); }

double nearestOffset(const std::vector<double>& times, double ms) {
    double best = 1e12;
    for (double t : times)
        if (std::fabs(t - ms) < std::fabs(best)) best = t - ms;
    return best;
}

bool readModuleTiming(const std::string& path, ModuleTiming& timing, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    openmpt_module* m = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr);
    if (!m) {
        error = "libopenmpt cannot read " + path;
        return false;
    }
    constexpr int RATE = 48000, BLOCK = 16;
    timing = {};
    timing.lengthMs = openmpt_module_get_duration_seconds(m) * 1000.0;
    std::vector<std::string> names;
    for (int i = 0; i < openmpt_module_get_num_samples(m); ++i)
        names.push_back(text(openmpt_module_get_sample_name(m, i)));

    // A row's start is the start of the block in which the player moved to it (ticks of a
    // whole number of blocks make that exact).
    float buffer[2 * BLOCK];
    long frames = 0;
    int order = -1, row = -1;
    for (;;) {
        const long before = frames;
        const std::size_t got = openmpt_module_read_interleaved_float_stereo(m, RATE, BLOCK, buffer);
        const int o = openmpt_module_get_current_order(m), r = openmpt_module_get_current_row(m);
        if (o != order || r != row) {
            order = o;
            row = r;
            const double ms = before * 1000.0 / RATE;
            const int tempo = openmpt_module_get_current_tempo(m), speed = openmpt_module_get_current_speed(m);
            const double tickMs = tempo > 0 ? 2500.0 / tempo : 0.0;
            timing.rows.push_back({ms, o, r, tickMs, speed});
            if (r == 0) timing.orderStarts.push_back(ms);
            const int pattern = openmpt_module_get_order_pattern(m, o);
            for (int ch = 0; ch < openmpt_module_get_num_channels(m); ++ch) {
                if (openmpt_module_get_pattern_row_channel_command(m, pattern, r, ch, OPENMPT_MODULE_COMMAND_NOTE) == 0)
                    continue;
                const int sample = openmpt_module_get_pattern_row_channel_command(m, pattern, r, ch,
                                                                                  OPENMPT_MODULE_COMMAND_INSTRUMENT);
                const int delay = noteDelay(m, pattern, r, ch);
                if (delay >= speed && speed > 0) continue;  // a delay past its row plays nothing
                // a note without a sample number plays the channel's last one
                std::string name;
                if (sample > 0 && sample <= static_cast<int>(names.size())) name = names[sample - 1];
                else
                    for (auto n = timing.notes.rbegin(); n != timing.notes.rend(); ++n)
                        if (n->channel == ch) {
                            name = n->sample;
                            break;
                        }
                timing.notes.push_back({ms + delay * tickMs, ch, name, ms});
            }
        }
        if (got == 0) break;
        frames += static_cast<long>(got);
    }
    openmpt_module_destroy(m);
    return true;
}

}  // namespace review
