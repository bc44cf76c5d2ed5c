#include "resources/loader.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "resources/png_file.h"
#include "process/fail.h"

namespace Zorvek {

namespace {
constexpr const char* CACHE_FULL = "Loeader cache is full. Load less, unload more or increase MAX_CACHESIZE";
}

BITMAP* Loader::loadImage(const char* objectName) {
    char path[256];
    int length = std::snprintf(path, sizeof path, "%s#%s", datafile ? datafile : "", objectName);
    // A path that does not fit an entry's name cannot be cached, so it cannot be loaded.
    if (length < 0 || length >= static_cast<int>(sizeof(LoaderEntry::name)))
        fail(EXIT_MISUSE, "Could not load image %s.", path);
    if (void* cached = find(path)) return static_cast<BITMAP*>(cached);
    const Datafile::Object* object = pictureNamed(objectName);
    bool lackedMemory = false;
    BITMAP* image = object ? decodePng(contents.data(*object), object->size, &lackedMemory) : nullptr;
    if (!image && lackedMemory) fail(EXIT_MISUSE, "Out of memory decoding image %s.", path);
    if (!image) fail(EXIT_MISUSE, "Could not load image %s.", path);
    insert(path, image, 0, KIND_IMAGE);
    return image;
}

const Datafile::Object* Loader::pictureNamed(const char* objectName) {
    const char* file = datafile ? datafile : "";
    if (contents.state() == Datafile::State::Unread || contents.path() != file) contents.read(file);
    switch (contents.state()) {
        case Datafile::State::NotADatafile: fail(EXIT_MISUSE, "%s is not a datafile.", file);
        case Datafile::State::PackedDamaged:
            fail(EXIT_MISUSE, "%s is a packed datafile that does not unpack to one.", file);
        case Datafile::State::PackedTooLarge:
            fail(EXIT_MISUSE, "%s is a packed datafile that unpacks to more than %llu MB.", file,
                 static_cast<unsigned long long>(Datafile::MAX_BYTES >> 20));
        default: return contents.picture(objectName);
    }
}

void Loader::unloadImage(BITMAP* image) {
    if (release(image)) destroy_bitmap(image);
}

void* Loader::find(const char* path) {
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(entries[i].name, path) == 0) {
            ++entries[i].refCount;
            return entries[i].data;
        }
    }
    return nullptr;
}

void Loader::insert(const char* path, void* data, int extra, int kind) {
    if (count >= MAX_CACHESIZE) fail(EXIT_CAPACITY, "%s", CACHE_FULL);
    LoaderEntry& e = entries[count++];
    // Names longer than an entry holds are cut; loadImage refuses them before they get here.
    std::size_t n = std::min(std::strlen(path), sizeof e.name - 1);
    std::memcpy(e.name, path, n);
    e.name[n] = '\0';
    e.kind = kind;
    e.data = data;
    e.extra = extra;
    e.refCount = 1;
}

bool Loader::release(void* data) {
    for (int i = 0; i < count; ++i) {
        LoaderEntry& e = entries[i];
        if (e.data != data) continue;
        if (--e.refCount > 0) return false;
        // The last entry moves into the freed slot.
        --count;
        if (i != count) e = entries[count];
        return true;
    }
    fail(EXIT_CAPACITY, "Removing something from the loader cache that's not there.");
}

}  // namespace Zorvek
