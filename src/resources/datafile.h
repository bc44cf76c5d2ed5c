#pragma once
// The show's datafile, read whole and walked once before any picture is taken from it: its
// header, every property and every object checked against what is left of the file, and every
// picture's PNG checked, so that nothing decodes a length it has not been shown to hold. A
// datafile packed whole by the graphics library's tools is unpacked in memory first, to no more
// than MAX_BYTES, and what it unpacks to is checked the same way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Zorvek {

class Datafile {
public:
    // A datafile of pictures for a 320 x 240 show: larger files are not read, nor unpacked.
    static constexpr std::size_t MAX_BYTES = std::size_t(64) << 20;

    enum class State {
        Unread,
        Ok,              // walked: each object is usable or not, by itself
        Unreadable,      // missing, not a regular file, too large, or not read in full
        NotADatafile,    // the header is not a datafile's
        PackedDamaged,   // packed, but what it unpacks to is no datafile
        PackedTooLarge,  // packed, and it would unpack to more than MAX_BYTES
    };

    // One object at the top level of the datafile.
    struct Object {
        std::string name;        // its NAME property; empty without one
        std::size_t offset = 0;  // its data within the file
        std::size_t size = 0;
        bool picture = false;  // an uncompressed PNG whose chunks pass checkPng
    };

    // Reads and walks the file `path` (replacing whatever was read before).
    State read(const char* path);
    // Walks a datafile held in memory.
    State take(std::vector<std::uint8_t> contents);

    State state() const { return status; }
    const std::string& path() const { return source; }
    const std::vector<Object>& objects() const { return index; }
    const std::uint8_t* data(const Object& o) const { return bytes.data() + o.offset; }

    // The first object named `name` (letter case aside, as the graphics library's datafile
    // lookup does) when it is a usable picture; null otherwise.
    const Object* picture(const char* name) const;

private:
    void walk();
    // A packed datafile's contents in place of the packed bytes; false when it does not unpack.
    bool unpack();

    State status = State::Unread;
    std::string source;
    std::vector<std::uint8_t> bytes;
    std::vector<Object> index;
};

}  // namespace Zorvek
