#pragma once
// The spinning card: a background photo with a flat two-sided textured card turning in 3D in
// front of it, drawn by the library's polygon scene renderer.

#include <allegro.h>

#include <cstdint>

#include "effects/effect.h"

namespace Zorvek {

struct MeshVertex {
    float x, y, z;  // model space
    float sx, sy;   // screen position after projection
    float tz;       // camera-space depth
};

struct MeshFace {
    std::int32_t vertex[3];  // indices into the mesh's vertices
    V3D_f corner[3];         // the polygon as the scene renderer takes it; u and v stay as built
    V3D_f* corners[3];       // pointers to corner[0..2]
    float normalZ;           // z of the projected face's normal: > 0 faces the viewer
};

// Owns its vertices and faces; faces point into themselves, so a mesh is never copied.
struct Mesh {
    MeshVertex* vertices = nullptr;
    std::int32_t vertexCount = 0;
    MeshFace* faces = nullptr;
    std::int32_t faceCount = 0;

    Mesh(int vertexCount, int faceCount);
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
};

// A generator: photo plus card in its own frame, pushed.
class MiboboEffect : public ProtectedFrameEffect {
public:
    BITMAP* photo = nullptr;    // background, 320 x 240
    BITMAP* texture = nullptr;  // card: columns 0..127 the front, 128..255 the back, 178 rows
    Mesh* model = nullptr;      // the card, owned
    std::int32_t clock = 0;     // local time of the last update

    MiboboEffect() = default;
    ~MiboboEffect();
    MiboboEffect(const MiboboEffect&) = delete;
    MiboboEffect& operator=(const MiboboEffect&) = delete;

    void update(int time) override;
    void render() override;
    const char* name() override;
    void init(Demo* demo) override;

    // Projects the card for the current clock: screen positions, depths and face normals.
    void project(int width, int height);

private:
    // The bitmap the faces are textured from: `texture` itself, or a copy of it when the scene
    // renderer could not read it safely (it needs 32 bits and power-of-two sides).
    BITMAP* paddedTexture = nullptr;
};

}  // namespace Zorvek
