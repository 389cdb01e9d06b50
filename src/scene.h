#pragma once

#include "platform_gl.h"

#include <cstddef>

// Twelve boxes, three rows of four, each face with a texture of its own.
constexpr int texture_count = 72;
constexpr int picture_side = 256;
constexpr std::size_t picture_bytes = picture_side * picture_side * 3;
constexpr std::size_t packed_bytes = picture_bytes / 2;
constexpr char picture_file[] = "armor.raw";

extern GLuint texture_names[texture_count];

void load_textures();
// Fills one texture from the picture's pixels, as load_textures fills each
// slot; the packed variant packs them through packed_pixels (packed_bytes)
// and leaves them widened back.
void upload_texture(GLuint name, unsigned char* pixels, unsigned char* packed_pixels);
void draw_grid();
void draw_box(int first_slot, int x, int y, int size);

// Reads the first picture_bytes of the picture file into pixels and returns
// the file's size. A file that cannot serve ends the program with status 1.
long long read_picture(unsigned char* pixels);

// Keeps the top four bits of each component, two components to a byte.
void pack_rgb4(unsigned char* dst, const unsigned char* src);
// Widens each packed nibble n back to the 8-bit component n * 17.
void unpack_rgb4(unsigned char* dst, const unsigned char* src);
