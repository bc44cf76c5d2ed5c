#include "capture/frame_sink.h"

#include <allegro.h>
#include <loadpng.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "capture/encoder.h"
#include "capture/provisional.h"
#include "capture/unique_files.h"
#include "capture/video_encoding.h"
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
    if (!fs::is_directory(folder, ec)) {
        error = folder.string() + " is not a folder";
        return false;
    }
    return true;
}

bool videoAvailable() { return Encoder::available("ffmpeg"); }

namespace {

// Why a picture could not be written into `folder`. The graphics library's file layer loses the
// system's reason (a full disk reads as a bad address), so the folder is asked again: whether
// its file system has room left, and whether it may be written.
std::string writeFailure(const fs::path& folder) {
    std::error_code ec;
    // Less room than a picture takes.
    if (const fs::space_info room = fs::space(folder, ec); !ec && room.available < (1u << 20))
        return std::strerror(ENOSPC);
    if (access(folder.string().c_str(), W_OK) != 0) return std::strerror(errno);
    return "the picture library gave no reason";
}

// The folders a sink made for its output, removed again, while empty, when it is abandoned: a
// capture that fails leaves the disk as it found it.
class MadeFolders {
public:
    bool make(const fs::path& folder, std::string& error) {
        const fs::path normal = folder.lexically_normal();
        std::vector<fs::path> missing;  // deepest first
        std::error_code ec;
        for (fs::path p = normal; p.has_relative_path() && !fs::exists(fs::symlink_status(p, ec)); p = p.parent_path())
            missing.push_back(p);
        if (!prepareFolder(normal, error)) return false;
        made.insert(made.end(), missing.begin(), missing.end());
        return true;
    }
    void undo() {
        std::error_code ec;
        for (const fs::path& p : made) fs::remove(p, ec);  // only while empty
        made.clear();
    }

private:
    std::vector<fs::path> made;
};

// zlib's level for the frames: the same pixels at every level.
constexpr int PNG_LEVEL = 3;

class FrameSequenceSink final : public FrameSink {
public:
    explicit FrameSequenceSink(const fs::path& out) : framesFolder(out / "frames"), wavFile(out / "velmora.wav") {}
    ~FrameSequenceSink() override { releaseBitmap(); }

    bool begin(const fs::path& out, std::string& error) {
        // The library squeezes hardest by default, which costs 50 ms a frame: seven times the
        // time of this level for files a tenth smaller.
        _png_compression_level = PNG_LEVEL;
        if (folders.make(out, error) && finalNameFree(framesFolder, true, error) &&
            finalNameFree(wavFile, false, error) && frames.createFolder(framesFolder, error))
            return true;
        abandon();
        return false;
    }

    bool sound(const std::vector<std::int16_t>& pcm, int rate, std::string& error) override {
        int fd = -1;
        if (!wav.createFile(wavFile, fd, error)) return false;
        bool written = writeWav(fd, pcm, rate, error);
        if (close(fd) != 0 && written) {
            error = "cannot write " + wav.path().string() + ": " + std::strerror(errno);
            written = false;
        }
        return written;
    }

    bool frame(BITMAP* frame, std::string& error) override {
        // PNGs of 24-bit pictures: the frames' top byte is no alpha.
        if (!rgb) rgb = create_bitmap_ex(24, frame->w, frame->h);
        blit(frame, rgb, 0, 0, 0, 0, frame->w, frame->h);
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(count));
        fs::path path = frames.path() / name;
        if (save_png(path.string().c_str(), rgb, nullptr) != 0) {
            error = "cannot write " + path.string() + ": " + writeFailure(frames.path());
            return false;
        }
        ++count;
        return true;
    }

    bool finish(std::string& error) override {
        releaseBitmap();
        if (!frames.commit(framesFolder, error)) return false;
        if (!wav.commit(wavFile, error)) {
            // The frames alone would pass for a finished capture: they were ours a moment ago.
            std::error_code ec;
            fs::remove_all(framesFolder, ec);
            return false;
        }
        return true;
    }

    void abandon() override {
        releaseBitmap();
        frames.discard();
        wav.discard();
        folders.undo();
    }

    std::string result() const override {
        return std::to_string(count) + " frames in " + framesFolder.string() + ", sound in " + wavFile.string();
    }

private:
    // The bitmap must go while the library is still up; the show shuts it down when it goes.
    void releaseBitmap() {
        if (rgb && system_driver) destroy_bitmap(rgb);
        rgb = nullptr;
    }

    fs::path framesFolder, wavFile;
    MadeFolders folders;
    Provisional frames, wav;
    BITMAP* rgb = nullptr;
    std::int64_t count = 0;
};

class VideoSink final : public FrameSink {
public:
    VideoSink(const fs::path& final, const Options& o) : options(o), final(final) {}
    ~VideoSink() override {
        if (soundFile >= 0) close(soundFile);
    }

    bool begin(std::string& error) {
        int fd = -1;
        if (!folders.make(final.parent_path(), error) || !finalNameFree(final, false, error) ||
            !video.createFile(final, fd, error)) {
            abandon();
            return false;
        }
        close(fd);  // ffmpeg writes it by name
        return true;
    }

    bool sound(const std::vector<std::int16_t>& pcm, int rate, std::string& error) override {
        // The sound waits for ffmpeg in a memory file: nothing of it can be left on disk.
        soundFile = anonymousFile("velmora-sound");
        if (soundFile < 0) {
            error = std::string("cannot hold the sound for ffmpeg: ") + std::strerror(errno);
            return false;
        }
        return writeWav(soundFile, pcm, rate, error);
    }

    bool frame(BITMAP* frame, std::string& error) override {
        if (!encoder.running() && !startEncoder(frame->w, frame->h, error)) return false;
        packFrame(frame, picture);
        if (!encoder.write(picture.data(), picture.size(), error)) return false;
        ++count;
        return true;
    }

    bool finish(std::string& error) override { return encoder.finish(error) && video.commit(final, error); }

    void abandon() override {
        encoder.stop();
        video.discard();
        folders.undo();
    }

    std::string result() const override { return std::to_string(count) + " frames in " + final.string(); }

private:
    bool startEncoder(int w, int h, std::string& error) {
        if (soundFile < 0 || lseek(soundFile, 0, SEEK_SET) != 0) {
            error = "no sound to give ffmpeg";
            return false;
        }
        // The output is named as a file, so that nothing in its name is read as a protocol, and
        // its format is given, since the provisional name ends otherwise.
        const std::vector<std::string> args =
            encoderArguments(w, h, options.fps, options.scale, options.quality, video.path().string());
        bool started = encoder.start(args, soundFile, error);
        close(soundFile);  // ffmpeg holds its own
        soundFile = -1;
        return started;
    }

    Options options;
    fs::path final;
    MadeFolders folders;
    Provisional video;
    Encoder encoder;
    int soundFile = -1;
    std::vector<unsigned char> picture;
    std::int64_t count = 0;
};

}  // namespace

std::unique_ptr<FrameSink> makeFrameSequenceSink(const fs::path& out, std::string& error) {
    auto sink = std::make_unique<FrameSequenceSink>(out);
    if (!sink->begin(out, error)) return nullptr;
    return sink;
}

std::unique_ptr<FrameSink> makeVideoSink(const fs::path& out, const Options& options, std::string& error) {
    auto sink = std::make_unique<VideoSink>(out / (options.video.empty() ? std::string("velmora.mp4") : options.video),
                                            options);
    if (!sink->begin(error)) return nullptr;
    return sink;
}

}  // namespace Zorvek::capture
