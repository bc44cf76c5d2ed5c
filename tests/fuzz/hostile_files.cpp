// Makes the inputs that try the show's file handling:
//
//   hostile_files cases SHOW.dat SHOW.mod DIR
//       one folder per case under DIR, each holding an oldskool.dat and a drift.mod (one of them
//       damaged, replaced or missing), and DIR/cases.tsv: case, the exit statuses it may end with
//       ("0|255"), and the message that a failure must print (an extended regular expression).
//       tests/scripts/hostile_files.sh runs them.
//   hostile_files seeds DIR
//       small, whole inputs for the fuzz targets: DIR/datafile/ and DIR/module/.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "resources/datafile.h"
#include "support/png_bytes.h"
#include "support/tracker_module.h"

using namespace Zorvek;
using namespace Zorvek::testing;
namespace fs = std::filesystem;

namespace {

// Exit statuses: the show runs, or ends with -1 (pictures) or -4 (sound).
const std::string SHOWN = "0", IMAGE = "255", SOUND = "252";
const std::string FIRST_IMAGE = "Could not load image oldskool\\.dat#ZVKLOGO1_PNG\\.";
const std::string ANY_IMAGE = "Could not load image oldskool\\.dat#[A-Z0-9_]+\\.";
const std::string NOT_A_DATAFILE = "oldskool\\.dat is not a datafile\\.";
const std::string MUSIC = "Failed loading music stream\\.";

struct Sources {
    Bytes datafile, module;
    fs::path datafilePath, modulePath;
};

class Cases {
public:
    Cases(fs::path dir, const Sources& s) : dir(std::move(dir)), sources(s) {
        fs::create_directories(this->dir);
        list.open(this->dir / "cases.tsv");
    }

    // A case whose datafile is `bytes`.
    void datafile(const std::string& name, const Bytes& bytes, const std::string& status, const std::string& message) {
        writeBytes(folder(name, false) / "oldskool.dat", bytes);
        record(name, status, message);
    }
    void module(const std::string& name, const Bytes& bytes, const std::string& status, const std::string& message) {
        writeBytes(folder(name, true) / "drift.mod", bytes);
        record(name, status, message);
    }
    // A case whose datafile or module is something other than a regular file, made by `make`
    // at the path.
    template <class Make>
    void special(const std::string& name, bool isModule, Make make, const std::string& status,
                 const std::string& message) {
        fs::path at = folder(name, isModule) / (isModule ? "drift.mod" : "oldskool.dat");
        make(at);
        record(name, status, message);
    }

private:
    // The case's folder with the show's other file in it.
    fs::path folder(const std::string& name, bool isModule) {
        fs::path f = dir / name;
        fs::create_directories(f);
        if (isModule) {
            fs::create_symlink(sources.datafilePath, f / "oldskool.dat");
        } else {
            fs::create_symlink(sources.modulePath, f / "drift.mod");
        }
        return f;
    }
    void record(const std::string& name, const std::string& status, const std::string& message) {
        list << name << '\t' << status << '\t' << message << '\n';
    }

    fs::path dir;
    const Sources& sources;
    std::ofstream list;
};

// The offset of the first byte of the object named `name` (its data), from the show's own index.
const Datafile::Object& objectNamed(const Datafile& index, const char* name) {
    for (const Datafile::Object& o : index.objects())
        if (o.name == name) return o;
    std::fprintf(stderr, "the datafile has no object %s\n", name);
    std::exit(1);
}

// The datafile with the object named `name` replaced by `data`.
Bytes withObject(const Sources& s, const Datafile& index, const char* name, const Bytes& data) {
    const Datafile::Object& o = objectNamed(index, name);
    Bytes out(s.datafile.begin(), s.datafile.begin() + static_cast<std::ptrdiff_t>(o.offset) - 8);
    for (std::uint32_t size : {static_cast<std::uint32_t>(data.size()), static_cast<std::uint32_t>(data.size())})
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(size >> shift));
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), s.datafile.begin() + static_cast<std::ptrdiff_t>(o.offset + o.size), s.datafile.end());
    return out;
}

Bytes with32(Bytes bytes, std::size_t at, std::uint32_t value) {
    putBigEndian(bytes, at, value);
    return bytes;
}

Bytes flipped(Bytes bytes, unsigned seed, std::size_t from, std::size_t to, int flips) {
    std::mt19937 random(seed);
    for (int i = 0; i < flips; ++i) {
        std::size_t at = from + random() % (to - from);
        bytes[at] ^= static_cast<std::uint8_t>(1 + random() % 255);
    }
    return bytes;
}

void makeCases(const Sources& s, const fs::path& dir) {
    Cases cases(dir, s);
    Datafile index;
    index.take(s.datafile);
    const Bytes& dat = s.datafile;
    const std::size_t first = 12;  // the first object's first property
    const Datafile::Object& logo = objectNamed(index, "ZVKLOGO1_PNG");
    const Datafile::Object& middle = index.objects()[index.objects().size() / 2];
    const std::size_t middleHeader = middle.offset - 12;

    // Not regular files, or not there at all.
    auto fifo = [](const fs::path& p) { mkfifo(p.c_str(), 0600); };
    auto loop = [](const fs::path& p) { fs::create_symlink(p, p); };
    auto zero = [](const fs::path& p) { fs::create_symlink("/dev/zero", p); };
    auto folder = [](const fs::path& p) { fs::create_directory(p); };
    auto none = [](const fs::path&) {};
    for (bool m : {false, true}) {
        std::string kind = m ? "module" : "datafile";
        const std::string& message = m ? MUSIC : FIRST_IMAGE;
        const std::string& status = m ? SOUND : IMAGE;
        cases.special(kind + "-missing", m, none, status, message);
        cases.special(kind + "-fifo", m, fifo, status, message);
        cases.special(kind + "-link-loop", m, loop, status, message);
        cases.special(kind + "-dev-zero", m, zero, status, message);
        cases.special(kind + "-directory", m, folder, status, message);
    }

    // The datafile's header and structure.
    cases.datafile("datafile-empty", {}, IMAGE, NOT_A_DATAFILE);
    cases.datafile("datafile-text", Bytes(5000, 'x'), IMAGE, NOT_A_DATAFILE);
    // Packed whole by the graphics library, as its dat tool packs one: it plays. Damaged, it
    // unpacks to a damaged datafile; a plain one that claims to be packed unpacks to no datafile.
    const Bytes packed = packedWhole(dat);
    cases.datafile("datafile-packed", packed, SHOWN, "");
    cases.datafile("datafile-packed-cut-in-half", Bytes(packed.begin(), packed.begin() + packed.size() / 2), IMAGE,
                   ANY_IMAGE);
    Bytes packedDamaged = packed;
    for (std::size_t i = packed.size() / 3; i < packed.size() / 3 + 64; ++i) packedDamaged[i] ^= 0x5A;
    cases.datafile("datafile-packed-damaged", packedDamaged, IMAGE, ANY_IMAGE);
    cases.datafile("datafile-claims-packed", with32(dat, 0, 0x736C6821), IMAGE,
                   "oldskool\\.dat is a packed datafile that does not unpack to one\\.");
    cases.datafile("datafile-cut-in-header", Bytes(dat.begin(), dat.begin() + 11), IMAGE, NOT_A_DATAFILE);
    cases.datafile("datafile-cut-after-header", Bytes(dat.begin(), dat.begin() + 12), IMAGE, FIRST_IMAGE);
    cases.datafile("datafile-cut-in-half", Bytes(dat.begin(), dat.begin() + dat.size() / 2), IMAGE, ANY_IMAGE);
    cases.datafile("datafile-cut-by-one", Bytes(dat.begin(), dat.end() - 1), IMAGE, ANY_IMAGE);
    cases.datafile("datafile-count-0", with32(dat, 8, 0), IMAGE, FIRST_IMAGE);
    // A count larger than the objects there leaves the objects there whole: the show runs.
    cases.datafile("datafile-count-2147483647", with32(dat, 8, 0x7FFFFFFF), SHOWN, "");
    cases.datafile("datafile-first-property-2147483647", with32(dat, first + 8, 0x7FFFFFFF), IMAGE, FIRST_IMAGE);
    cases.datafile("datafile-first-property-4294967295", with32(dat, first + 8, 0xFFFFFFFF), IMAGE, FIRST_IMAGE);
    cases.datafile("datafile-middle-size-2147483647", with32(dat, middleHeader + 4, 0x7FFFFFFF), IMAGE, ANY_IMAGE);
    cases.datafile("datafile-middle-size-one-more",
                   with32(dat, middleHeader + 4, static_cast<std::uint32_t>(middle.size + 1)), IMAGE, ANY_IMAGE);
    cases.datafile("datafile-middle-compressed",
                   with32(dat, middleHeader + 8, static_cast<std::uint32_t>(-static_cast<std::int64_t>(middle.size))),
                   IMAGE, ANY_IMAGE);

    // The first picture the show loads, made hostile with right checksums.
    Bytes png(dat.begin() + static_cast<std::ptrdiff_t>(logo.offset),
              dat.begin() + static_cast<std::ptrdiff_t>(logo.offset + logo.size));
    struct Header {
        const char* name;
        std::uint32_t w, h;
        int depth, type;
    };
    for (Header h :
         {Header{"png-32768x32768-rgba", 32768, 32768, 8, 6}, Header{"png-65536x65536-rgba", 65536, 65536, 8, 6},
          Header{"png-4097x240", 4097, 240, 8, 2}, Header{"png-0x240", 0, 240, 8, 2},
          Header{"png-colour-type-7", 320, 240, 8, 7}, Header{"png-rgb-depth-4", 320, 240, 4, 2},
          Header{"png-palette-without-palette", 320, 240, 8, 3}}) {
        Bytes p = png;
        setPngHeader(p, h.w, h.h, h.depth, h.type);
        cases.datafile(h.name, withObject(s, index, "ZVKLOGO1_PNG", p), IMAGE, FIRST_IMAGE);
    }
    // A real picture of 20000 x 20000, 1.2 GB of pixels in 1.2 MB.
    cases.datafile("png-20000x20000-whole", withObject(s, index, "ZVKLOGO1_PNG", plainPng(20000, 20000)), IMAGE,
                   FIRST_IMAGE);
    cases.datafile("png-chunk-length-2147483647", withObject(s, index, "ZVKLOGO1_PNG", with32(png, 33, 0x7FFFFFFF)),
                   IMAGE, FIRST_IMAGE);
    cases.datafile("png-cut", withObject(s, index, "ZVKLOGO1_PNG", Bytes(png.begin(), png.end() - 20)), IMAGE,
                   FIRST_IMAGE);

    // Random damage, the same at every run: anywhere, and near the objects' and properties'
    // headers. Either the show runs (the damage hit nothing it reads) or a picture is refused.
    const std::string anyImage = ANY_IMAGE + "|" + NOT_A_DATAFILE;
    for (unsigned seed = 1; seed <= 8; ++seed)
        cases.datafile("datafile-flips-" + std::to_string(seed), flipped(dat, seed, 0, dat.size(), 1 + seed % 4),
                       "0|255", anyImage);
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const Datafile::Object& o = index.objects()[seed * 5 % index.objects().size()];
        std::size_t from = o.offset > 48 ? o.offset - 48 : 0;
        cases.datafile("datafile-header-flips-" + std::to_string(seed),
                       flipped(dat, 100 + seed, from, o.offset + 16, 2), "0|255", anyImage);
    }

    // Modules.
    const Bytes& mod = s.module;
    cases.module("module-empty", {}, SOUND, MUSIC);
    cases.module("module-text", Bytes(5000, 'x'), SOUND, MUSIC);
    cases.module("module-cut-in-half", Bytes(mod.begin(), mod.begin() + mod.size() / 2), SOUND, MUSIC);
    cases.module("module-cut-by-one", Bytes(mod.begin(), mod.end() - 1), SOUND, MUSIC);
    cases.module("module-five-and-a-half-hours", marathonModule().bytes(), SOUND, MUSIC);
    cases.module("module-7680-ms", toneModule(1).bytes(), SHOWN, "");
    for (unsigned seed = 1; seed <= 6; ++seed)
        cases.module("module-flips-" + std::to_string(seed), flipped(mod, 200 + seed, 0, mod.size(), 1 + seed % 4),
                     "0|252", MUSIC);
}

void makeSeeds(const fs::path& dir) {
    fs::create_directories(dir / "datafile");
    fs::create_directories(dir / "module");
    // Every colour type and depth, with the chunks that change how a picture decodes.
    std::vector<std::pair<std::string, Bytes>> pictures;
    const char* names[] = {"GREY1", "GREY2", "GREY4", "GREY8",      "GREY16",      "RGB8",  "RGB16", "PAL1",
                           "PAL2",  "PAL4",  "PAL8",  "GREYALPHA8", "GREYALPHA16", "RGBA8", "RGBA16"};
    const char** name = names;
    for (auto [type, depths] : std::vector<std::pair<int, std::vector<int>>>{
             {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}})
        for (int depth : depths) pictures.emplace_back(*name++, plainPng(3, 2, type, depth, 0xA5));
    Bytes extras = plainPng(2, 2, 3, 8);
    insertBeforeImage(extras, pngChunk("tRNS", {0, 0x80}));
    insertBeforeImage(extras, pngChunk("gAMA", {0, 0, 0xB1, 0x8F}));
    insertBeforeImage(extras, pngChunk("tEXt", {'a', 0, 'b'}));
    pictures.emplace_back("EXTRAS", extras);
    writeBytes((dir / "datafile" / "colour-types.dat").string(), datafileOf(pictures));
    writeBytes((dir / "datafile" / "one.dat").string(), datafileOf({{"ONE", plainPng(1, 1)}}));
    writeBytes((dir / "module" / "tone.mod").string(), toneModule(1).bytes());
    writeBytes((dir / "module" / "busy.mod").string(), busyModule(2).bytes());
    writeBytes((dir / "module" / "marathon.mod").string(), marathonModule().bytes());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "cases") == 0) {
        Sources s{readBytes(argv[2]), readBytes(argv[3]), fs::absolute(argv[2]), fs::absolute(argv[3])};
        if (s.datafile.empty() || s.module.empty()) {
            std::fprintf(stderr, "hostile_files: cannot read %s or %s\n", argv[2], argv[3]);
            return 1;
        }
        makeCases(s, argv[4]);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "seeds") == 0) {
        makeSeeds(argv[2]);
        return 0;
    }
    std::fprintf(stderr, "usage: hostile_files cases SHOW.dat SHOW.mod DIR | hostile_files seeds DIR\n");
    return 2;
}
