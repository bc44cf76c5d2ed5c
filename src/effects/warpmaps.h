#pragma once
// Warp maps: filters that move every pixel of the frame below through a table of source
// addresses built when the effect starts.

#include <cstdint>
#include <memory>

#include "effects/effect.h"

namespace Zorvek {

// Pops a frame, gathers its pixels through map into its own frame and pushes that. map is a
// second scratch frame used as a table: entry (x, y) = source column << 16 | source row.
class WarpmapEffect : public ProtectedFrameEffect {
public:
    BITMAP* map = nullptr;  // borrowed and returned together with frame; fixed while running

    void start() override;
    void render() override;
    void stop() override;
    const char* name() override;
    // Fills map; called once per start. The base leaves the borrowed frame's contents as they are.
    virtual void computeMap();
    // Builds the map for the render size now, so that start() only copies it (unless what the
    // map is built from has changed by then).
    void prepare() override;

protected:
    // What a map is built from besides its size: equal settings give equal maps.
    struct MapSettings {
        std::uint32_t angleBits = 0, scaleBits = 0;
        int refreshRate = 0;
        bool operator==(const MapSettings&) const = default;
    };
    // The settings the next computeMap would use; false when the map does not follow from them
    // (the base's map is whatever its frame held).
    virtual bool mapSettings(MapSettings& settings) const;

private:
    // One past the largest column and row that map addresses, measured at start.
    int mapColumns = 0;
    int mapRows = 0;
    // A map built by prepare(): its entries row by row, its size, settings and measures.
    std::unique_ptr<std::uint32_t[]> prepared;
    int preparedWidth = 0, preparedHeight = 0;
    MapSettings preparedSettings;
    int preparedColumns = 0, preparedRows = 0;

    void measureMap();
    bool usePreparedMap();
};

// Turns the picture by angle about the centre and scales distances from it by scale, per pass
// at a 60 Hz refresh rate and proportionally less at higher rates.
class RotatingWarpmapEffect : public WarpmapEffect {
public:
    float angle = 0.0f;  // radians
    float scale = 1.0f;

    const char* name() override;
    void computeMap() override;

protected:
    bool mapSettings(MapSettings& settings) const override;

private:
    int refreshRate() const;
};

// Bends the picture: columns shift by a sine of the row, rows by a cosine of the column, by up
// to 8 pixels, wrapping around the edges.
class SinusWarpmapEffect : public WarpmapEffect {
public:
    const char* name() override;
    void computeMap() override;

protected:
    bool mapSettings(MapSettings& settings) const override;
};

}  // namespace Zorvek
