#pragma once

#include <span>

struct GFX_MODE;
struct GFX_MODE_LIST;

namespace Zorvek {

// The graphics library's mode setting as the display's fall-backs use it: set one mode, and read
// the fullscreen driver's list of modes. Behind an interface so that the fall-backs can be tried
// against screens other than the one at hand.
class GraphicsModes {
public:
    virtual ~GraphicsModes() = default;
    // Sets `width` × `height` with the windowed or the fullscreen driver; true on success.
    virtual bool set(bool windowed, int width, int height) = 0;
    // The fullscreen driver's modes in the driver's own order; empty when there is no list.
    virtual std::span<const GFX_MODE> fullscreenModes() = 0;
};

// The library's own modes. The mode list, once fetched, lives as long as this object.
class LibraryModes final : public GraphicsModes {
public:
    LibraryModes() = default;
    ~LibraryModes() override;
    LibraryModes(const LibraryModes&) = delete;
    LibraryModes& operator=(const LibraryModes&) = delete;

    bool set(bool windowed, int width, int height) override;
    std::span<const GFX_MODE> fullscreenModes() override;

private:
    GFX_MODE_LIST* list = nullptr;
};

}  // namespace Zorvek
