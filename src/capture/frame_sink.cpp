#include "capture/frame_sink.h"

#include <allegro.h>
#include <loadpng.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "capture/wav.h"

namespace fs = std::filesystem;

namespace Zorvek::capture {

bool prepareFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
    }
    fs::path probe = folder / (".velmora-capture-probe-" + std::to_string(getpid()));
    std::FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f) {
        error = "cannot write in " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(f);
    fs::remove(probe, ec);
    return true;
}

namespace {

class FrameSequenceSink final : public FrameSink {
public:
    explicit FrameSequenceSink(const fs::path& out)
        : out(out), partialFrames(out / "frames.partial"), partialWav(out / "velmora.wav.partial") {}
    ~FrameSequenceSink() override { releaseBitmap(); }

    bool begin(std::string& error) {
        std::error_code ec;
        fs::remove_all(partialFrames, ec);
        fs::create_directories(partialFrames, ec);
        if (ec) error = "cannot create " + partialFrames.string() + ": " + ec.message();
        return !ec;
    }

    bool sound(const std::vector<std::int16_t>& pcm, int rate, std::string& error) override {
        if (writeWav(partialWav, pcm, rate)) return true;
        error = "cannot write " + partialWav.string();
        return false;
    }

    bool frame(BITMAP* frame, std::string& error) override {
        // PNGs of 24-bit pictures: the frames' top byte is no alpha.
        if (!rgb) rgb = create_bitmap_ex(24, frame->w, frame->h);
        blit(frame, rgb, 0, 0, 0, 0, frame->w, frame->h);
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06ld.png", count);
        fs::path path = partialFrames / name;
        if (save_png(path.c_str(), rgb, nullptr) != 0) {
            error = "cannot write " + path.string();
            return false;
        }
        ++count;
        return true;
    }

    bool finish(std::string& error) override {
        releaseBitmap();
        std::error_code ec;
        fs::remove_all(out / "frames", ec);
        fs::rename(partialFrames, out / "frames", ec);
        if (!ec) fs::rename(partialWav, out / "velmora.wav", ec);
        if (ec) error = "cannot finish the capture in " + out.string() + ": " + ec.message();
        return !ec;
    }

    void abandon() override {
        releaseBitmap();
        std::error_code ec;
        fs::remove_all(partialFrames, ec);
        fs::remove(partialWav, ec);
    }

    std::string result() const override {
        return std::to_string(count) + " frames in " + (out / "frames").string() + ", sound in " +
               (out / "velmora.wav").string();
    }

private:
    // The bitmap must go while the library is still up; the show shuts it down when it goes.
    void releaseBitmap() {
        if (rgb && system_driver) destroy_bitmap(rgb);
        rgb = nullptr;
    }

    fs::path out, partialFrames, partialWav;
    BITMAP* rgb = nullptr;
    long count = 0;
};

class VideoSink final : public FrameSink {
public:
    VideoSink(const fs::path& out, const Options& o)
        : options(o),
          final(out / (o.video.empty() ? std::string("velmora.mp4") : o.video)),
          partial(final.string() + ".partial"),
          wav(out / (".velmora-sound-" + std::to_string(getpid()) + ".wav")) {}
    ~VideoSink() override {
        if (pipe) pclose(pipe);
        std::error_code ec;
        fs::remove(wav, ec);
    }

    bool sound(const std::vector<std::int16_t>& pcm, int rate, std::string& error) override {
        if (!writeWav(wav, pcm, rate)) {
            error = "cannot write " + wav.string();
            return false;
        }
        return true;
    }

    bool frame(BITMAP* frame, std::string& error) override {
        if (!pipe && !startEncoder(frame->w, frame->h, error)) return false;
        const int s = options.scale;
        for (int y = 0; y < frame->h; ++y) {
            const std::uint32_t* src = reinterpret_cast<const std::uint32_t*>(frame->line[y]);
            unsigned char* d = row.data();
            for (int x = 0; x < frame->w; ++x) {
                std::uint32_t p = src[x];
                for (int k = 0; k < s; ++k) {
                    *d++ = static_cast<unsigned char>(p >> 16);
                    *d++ = static_cast<unsigned char>(p >> 8);
                    *d++ = static_cast<unsigned char>(p);
                }
            }
            for (int k = 0; k < s; ++k) {
                if (std::fwrite(row.data(), 1, row.size(), pipe) != row.size()) {
                    error = "ffmpeg stopped taking frames";
                    return false;
                }
            }
        }
        ++count;
        return true;
    }

    bool finish(std::string& error) override {
        int status = pipe ? pclose(pipe) : -1;
        pipe = nullptr;
        if (status != 0) {
            error = "ffmpeg failed (status " + std::to_string(status) + ")";
            return false;
        }
        std::error_code ec;
        fs::rename(partial, final, ec);
        if (ec) error = "cannot name the video " + final.string() + ": " + ec.message();
        return !ec;
    }

    void abandon() override {
        if (pipe) pclose(pipe);
        pipe = nullptr;
        std::error_code ec;
        fs::remove(partial, ec);
        fs::remove(wav, ec);
    }

    std::string result() const override {
        return std::to_string(count) + " frames in " + final.string();
    }

private:
    bool startEncoder(int w, int h, std::string& error) {
        const int s = options.scale;
        row.resize(static_cast<std::size_t>(w) * s * 3);
        // Sharp pixels: the frames arrive already upscaled; H.264 in yuv420p and AAC play anywhere.
        std::string command = "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                              std::to_string(w * s) + "x" + std::to_string(h * s) + " -r " +
                              std::to_string(options.fps) + " -i - -i '" + wav.string() +
                              "' -map 0:v -map 1:a -c:v libx264 -preset medium -crf 16 "
                              "-pix_fmt yuv420p -c:a aac -b:a 192k -movflags +faststart -f mp4 '" +
                              partial.string() + "'";
        pipe = popen(command.c_str(), "w");
        if (!pipe) error = "cannot start ffmpeg";
        return pipe != nullptr;
    }

    Options options;
    fs::path final, partial, wav;
    std::FILE* pipe = nullptr;
    std::vector<unsigned char> row;
    long count = 0;
};

}  // namespace

std::unique_ptr<FrameSink> makeFrameSequenceSink(const fs::path& out, std::string& error) {
    if (!prepareFolder(out, error)) return nullptr;
    auto sink = std::make_unique<FrameSequenceSink>(out);
    if (!sink->begin(error)) return nullptr;
    return sink;
}

std::unique_ptr<FrameSink> makeVideoSink(const fs::path& out, const Options& options,
                                         std::string& error) {
    if (!prepareFolder(out, error)) return nullptr;
    return std::make_unique<VideoSink>(out, options);
}

}  // namespace Zorvek::capture
