#include "effects/mibobo.h"

#include <bit>

#include "demo/demo.h"

namespace Zorvek {

namespace {

constexpr int CARD_PERIOD = 1950;    // two turns of the card about its own y axis
constexpr float FIELD_OF_VIEW = 32;  // 45 degrees in the library's 256-to-a-turn units

struct CardVertex {
    float x, y, z;
};
constexpr CardVertex CARD_VERTICES[4] = {{-64, -89, 0}, {64, -89, 0}, {64, 89, 0}, {-64, 89, 0}};

struct CardFace {
    int vertex[3];
    float uv[3][2];
};
// Faces 0 and 1 (the back, right half of the texture) wind the other way from faces 2 and 3
// (the front), so that back-face removal shows one pair from each side.
constexpr CardFace CARD_FACES[4] = {
    {{0, 3, 1}, {{256, 0}, {256, 178}, {128, 0}}},
    {{1, 3, 2}, {{128, 0}, {256, 178}, {128, 178}}},
    {{0, 1, 3}, {{0, 0}, {128, 0}, {0, 178}}},
    {{1, 2, 3}, {{128, 0}, {128, 178}, {0, 178}}},
};

// The scene renderer is one global of the library: created with the first card and destroyed
// with the last, instead of around every render, so that nothing is allocated while the show
// plays. Every card asks for the same size.
int scenes = 0;

void holdScene(int faces) {
    if (scenes++ == 0) create_scene(3 * faces, faces);
}

void releaseScene() {
    if (--scenes == 0) destroy_scene();
}

}  // namespace

Mesh::Mesh(int vertexCount_, int faceCount_)
    : vertices(new MeshVertex[vertexCount_]()),
      vertexCount(vertexCount_),
      faces(new MeshFace[faceCount_]()),
      faceCount(faceCount_) {
    for (int f = 0; f < faceCount; ++f)
        for (int k = 0; k < 3; ++k) faces[f].corners[k] = &faces[f].corner[k];
}

Mesh::~Mesh() {
    delete[] vertices;
    delete[] faces;
}

MiboboEffect::~MiboboEffect() {
    if (!model) return;  // never initialised
    releaseScene();
    delete model;
    if (paddedTexture != texture) destroy_bitmap(paddedTexture);
    demo->loader.unloadImage(photo);
    demo->loader.unloadImage(texture);
}

const char* MiboboEffect::name() { return "3D Model Car"; }

void MiboboEffect::init(Demo* owner) {
    Effect::init(owner);
    photo = demo->loader.loadImage("MIBOBO_PHOTO_PNG");
    texture = demo->loader.loadImage("MIBOBO_TEXTURE_PNG");
    // The renderer reads texel (u, v) at row pitch 2^ceil(log2 w) and masks v with h - 1: a
    // texture with other sides or depth would be read outside its memory or with scrambled
    // rows. Such a texture is copied into the top-left of a black 32-bit power-of-two bitmap.
    paddedTexture = texture;
    if (!std::has_single_bit(static_cast<unsigned>(texture->w)) ||
        !std::has_single_bit(static_cast<unsigned>(texture->h)) || bitmap_color_depth(texture) != 32) {
        paddedTexture = create_bitmap_ex(32, static_cast<int>(std::bit_ceil(static_cast<unsigned>(texture->w))),
                                         static_cast<int>(std::bit_ceil(static_cast<unsigned>(texture->h))));
        clear_to_color(paddedTexture, 0);
        blit(texture, paddedTexture, 0, 0, 0, 0, texture->w, texture->h);
    }
    model = new Mesh(4, 4);
    for (int v = 0; v < 4; ++v) {
        model->vertices[v].x = CARD_VERTICES[v].x;
        model->vertices[v].y = CARD_VERTICES[v].y;
        model->vertices[v].z = CARD_VERTICES[v].z;
    }
    for (int f = 0; f < 4; ++f)
        for (int k = 0; k < 3; ++k) {
            model->faces[f].vertex[k] = CARD_FACES[f].vertex[k];
            model->faces[f].corner[k].u = CARD_FACES[f].uv[k][0];
            model->faces[f].corner[k].v = CARD_FACES[f].uv[k][1];
        }
    holdScene(model->faceCount);
}

void MiboboEffect::update(int time) { clock = time; }

void MiboboEffect::project(int width, int height) {
    const float t = static_cast<float>((clock % CARD_PERIOD) / static_cast<double>(CARD_PERIOD));
    set_projection_viewport(0, 0, width, height);
    MATRIX_f camera, object, combined;
    get_camera_matrix_f(&camera, 0, 0, 0, 0, 0, -1, 0, 1, 0, FIELD_OF_VIEW,
                        static_cast<float>(width) / static_cast<float>(height));
    get_transformation_matrix_f(&object, 0.9f, 104, t * 512, 16, -150, 70, -600);
    matrix_mul_f(&object, &camera, &combined);
    for (int v = 0; v < model->vertexCount; ++v) {
        MeshVertex& p = model->vertices[v];
        float tx, ty;
        apply_matrix_f(&combined, p.x, p.y, p.z, &tx, &ty, &p.tz);
        persp_project_f(tx, ty, p.tz, &p.sx, &p.sy);
    }
    for (int f = 0; f < model->faceCount; ++f) {
        MeshFace& face = model->faces[f];
        for (int k = 0; k < 3; ++k) {
            const MeshVertex& p = model->vertices[face.vertex[k]];
            face.corner[k].x = p.sx;
            face.corner[k].y = p.sy;
            face.corner[k].z = p.tz;
        }
        face.normalZ = polygon_z_normal_f(face.corners[0], face.corners[1], face.corners[2]);
    }
}

void MiboboEffect::render() {
    blit(photo, frame, 0, 0, 0, 0, 320, 240);
    clear_scene(frame);
    project(frame->w, frame->h);
    for (int f = 0; f < model->faceCount; ++f) {
        MeshFace& face = model->faces[f];
        if (face.normalZ > 0) scene_polygon3d_f(POLYTYPE_PTEX, paddedTexture, 3, face.corners);
    }
    render_scene();
    push(frame);
}

}  // namespace Zorvek
