#pragma once

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
};

}  // namespace Zorvek
