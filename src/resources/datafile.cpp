#include "resources/datafile.h"

#include <cstring>

#include "platform/big_endian.h"
#include "platform/files.h"
#include "resources/packed_file.h"
#include "resources/png_file.h"

namespace Zorvek {

namespace {

using platform::bigEndian;

constexpr std::uint32_t id(const char (&text)[5]) {
    return (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
}
constexpr std::uint32_t PLAIN = id("slh.");
constexpr std::uint32_t PACKED = id("slh!");
constexpr std::uint32_t DATAFILE = id("ALL.");
constexpr std::uint32_t PROPERTY = id("prop");
constexpr std::uint32_t NAME = id("NAME");
constexpr std::size_t RECORD = 12;  // a property's or an object's header: three 32-bit words

bool sameLetters(const std::string& a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}
}  // namespace

Datafile::State Datafile::read(const char* path) {
    source = path ? path : "";
    index.clear();
    if (platform::readRegularFile(path, MAX_BYTES, bytes) != platform::FileStatus::Ok) {
        status = State::Unreadable;
        return status;
    }
    walk();
    return status;
}

Datafile::State Datafile::take(std::vector<std::uint8_t> contents) {
    bytes = std::move(contents);
    walk();
    return status;
}

void Datafile::walk() {
    index.clear();
    const std::uint8_t* d = bytes.data();
    const std::size_t n = bytes.size();
    if (n >= 4 && bigEndian(d) == PACKED) {
        if (!unpack()) return;
        walk();
        // Unpacked, it is a datafile or it is damaged: either way it was packed by no tool.
        if (status == State::NotADatafile) status = State::PackedDamaged;
        return;
    }
    if (n < RECORD || bigEndian(d) != PLAIN || bigEndian(d + 4) != DATAFILE) {
        status = State::NotADatafile;
        return;
    }
    status = State::Ok;
    // Objects are indexed as far as the file holds them whole: a count larger than the objects
    // there, or a size that runs past the end, leaves the rest out.
    const std::uint32_t count = bigEndian(d + 8);
    std::size_t at = RECORD;
    for (std::uint32_t i = 0; i < count; ++i) {
        Object o;
        while (n - at >= 4 && bigEndian(d + at) == PROPERTY) {
            if (n - at < RECORD) return;
            std::uint32_t type = bigEndian(d + at + 4), length = bigEndian(d + at + 8);
            if (length > n - at - RECORD) return;
            const char* text = reinterpret_cast<const char*>(d + at + RECORD);
            if (type == NAME && o.name.empty()) o.name.assign(text, strnlen(text, length));
            at += RECORD + length;
        }
        if (n - at < RECORD) return;
        std::uint32_t stored = bigEndian(d + at + 4), expanded = bigEndian(d + at + 8);
        if (stored > n - at - RECORD) return;
        o.offset = at + RECORD;
        o.size = stored;
        // A negative expanded size marks a compressed object, which the show cannot decode.
        o.picture = expanded == stored && stored <= 0x7FFFFFFF && checkPng(d + o.offset, o.size);
        index.push_back(std::move(o));
        at += RECORD + stored;
    }
}

bool Datafile::unpack() {
    std::vector<std::uint8_t> contents;
    // The packed stream follows the signature; unpacked, it is what a plain datafile holds after
    // its own.
    switch (unpackLzss(bytes.data() + 4, bytes.size() - 4, MAX_BYTES - 4, contents)) {
        case Unpacked::Ok: break;
        case Unpacked::TooLarge: status = State::PackedTooLarge; return false;
        case Unpacked::Damaged: status = State::PackedDamaged; return false;
    }
    bytes.assign({'s', 'l', 'h', '.'});
    bytes.insert(bytes.end(), contents.begin(), contents.end());
    return true;
}

const Datafile::Object* Datafile::picture(const char* name) const {
    for (const Object& o : index)
        if (sameLetters(o.name, name)) return o.picture ? &o : nullptr;
    return nullptr;
}

}  // namespace Zorvek
