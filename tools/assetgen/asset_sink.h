#pragma once
// What every generator module of assetgen hands back to the packer.
//
// Textures are given as straight-alpha RGBA8 pixels (row-major, top row
// first) plus the list of regions the game samples, so that the packer can
// both encode the sheet (PNG, or JPEG for opaque pictures) and draw a labelled
// contact sheet. Sounds, music and meshes are finished files (WAV, OGG, .x).
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Region {
    std::string label;               // e.g. "ship frame 3"
    int x = 0, y = 0, w = 0, h = 0;  // in texels of the sheet
};

struct Texture {
    std::string name;                // asset name, e.g. "ShotTex"
    int width = 0, height = 0;       // powers of two
    std::vector<std::uint8_t> rgba;  // width * height * 4, straight alpha
    std::vector<Region> regions;     // what the program reads from it
    bool opaque_jpeg = false;        // encode as JPEG (fully opaque pictures only)
};

struct Blob {
    std::string name;  // asset name, e.g. "Game0Laser"
    std::vector<std::uint8_t> bytes;
};

struct Output {
    std::vector<Texture> textures;
    std::vector<Blob> blobs;  // sounds, streams, the mesh
};

// Each module adds its assets to `out`. They must be deterministic: the same
// program gives the same bytes on every run. A module that cannot do its work
// (font or library missing) throws std::runtime_error naming the asset.
void generate_sprite_textures(Output& out);  // sprites/   ships, shots, effects, board, background
void generate_ui_textures(Output& out);      // ui/        glyph atlases, menu, help, captions, intro, loading
void generate_audio(Output& out);            // audio/     samples and the two music streams
void generate_mesh(Output& out);             // mesh.cpp   "GameTable"

}  // namespace assetgen
