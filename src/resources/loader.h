#pragma once

#include "resources/datafile.h"

struct BITMAP;

namespace Zorvek {

// One cached object of the datafile.
struct LoaderEntry {
    char name[64];  // object path "datafile#object"
    int kind;       // 1 = image
    void* data;
    int extra;
    int refCount;
};

// Reference-counted cache of the objects loaded from the datafile, by object path.
class Loader {
public:
    static constexpr int MAX_CACHESIZE = 4096;
    static constexpr int KIND_IMAGE = 1;

    const char* datafile = nullptr;
    int count = 0;
    LoaderEntry entries[MAX_CACHESIZE];

    BITMAP* loadImage(const char* objectName);
    void unloadImage(BITMAP* image);
    void* find(const char* path);
    void insert(const char* path, void* data, int extra, int kind);
    bool release(void* data);

private:
    // The datafile's object `objectName` when it is a picture that can be decoded; null when it
    // is missing or damaged. The datafile is read and checked once, at the first picture taken
    // from it; one that is no datafile at all ends the program.
    const Datafile::Object* pictureNamed(const char* objectName);

    Datafile contents;
};

}  // namespace Zorvek
