#include "scene.h"

#include "regular_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

GLuint texture_names[texture_count];

namespace {

// Only the packed variant writes it; it lives as long as the program.
std::unique_ptr<unsigned char[]> packed;

struct face {
    int slot_offset;
    // Corners in the order of the texture coordinates (0,0) (1,0) (1,1)
    // (0,1), as multiples of the edge from the box's lower corner; every
    // face winds counter-clockwise seen from outside.
    int corners[4][3];
};

constexpr face faces[6] = {
    {0, {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}}, // front, lower y
    {1, {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}}, // right, upper x
    {4, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}}, // top
    {2, {{0, 1, 0}, {0, 0, 0}, {0, 0, 1}, {0, 1, 1}}}, // left, lower x
    {3, {{1, 1, 0}, {0, 1, 0}, {0, 1, 1}, {1, 1, 1}}}, // back, upper y
    {5, {{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}}}, // bottom
};

constexpr float texture_corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

const std::string quoted_name = '"' + std::string(picture_file) + '"';

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "textures: %s\n", message.c_str());
    std::exit(1);
}

}

long long read_picture(unsigned char* pixels)
{
    const regular_file opened = open_regular_file(picture_file);
    if (opened.error != 0)
        fail("cannot open " + quoted_name + ": " + std::strerror(opened.error));
    if (opened.file == nullptr)
        fail(quoted_name + " is not a regular file");
    const std::size_t found = std::fread(pixels, 1, picture_bytes, opened.file);
    const int error = std::ferror(opened.file) ? errno : 0;
    std::fclose(opened.file);
    if (error != 0)
        fail("cannot read " + quoted_name + ": " + std::strerror(error));
    if (found < picture_bytes)
        fail(quoted_name + " is too short: " + std::to_string(found) + " bytes found, " +
             std::to_string(picture_bytes) + " expected");
    return opened.size;
}

// Byte i of the packed image pairs components 2i and 2i + 1: the groups of
// six components and three bytes come down to one flat loop, which the
// compiler turns into vector code.
void pack_rgb4(unsigned char* __restrict dst, const unsigned char* __restrict src)
{
    std::memset(dst, 0, packed_bytes);
    for (std::size_t i = 0; i < packed_bytes; ++i)
        dst[i] = static_cast<unsigned char>((src[2 * i] & 0xF0) | (src[2 * i + 1] >> 4));
}

void unpack_rgb4(unsigned char* __restrict dst, const unsigned char* __restrict src)
{
    for (std::size_t i = 0; i < packed_bytes; ++i) {
        dst[2 * i] = static_cast<unsigned char>((src[i] >> 4) * 17);
        dst[2 * i + 1] = static_cast<unsigned char>((src[i] & 0x0F) * 17);
    }
}

void load_textures()
{
    std::vector<unsigned char> pixels(picture_bytes);
    packed = std::make_unique<unsigned char[]>(packed_bytes);
    glGenTextures(texture_count, texture_names);
    bool warned = false;
    for (int i = 0; i < texture_count; ++i) {
        const long long size = read_picture(pixels.data());
        if (size > static_cast<long long>(picture_bytes) && !warned) {
            std::fprintf(stderr,
                         "textures: warning: \"%s\" holds %lld bytes; only the first %zu are used\n",
                         picture_file, size, picture_bytes);
            warned = true;
        }
        upload_texture(texture_names[i], pixels.data(), packed.get());
    }
}

void upload_texture(GLuint name, unsigned char* pixels, unsigned char* packed_pixels)
{
    if (USE_PACKED_TEXTURES != 0) {
        // OpenGL has no 12-bit pixel format, so the packed components
        // reach it widened back to bytes.
        pack_rgb4(packed_pixels, pixels);
        unpack_rgb4(pixels, packed_pixels);
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, USE_PACKED_TEXTURES != 0 ? GL_RGB4 : GL_RGB, picture_side,
                 picture_side, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

void draw_box(int first_slot, int x, int y, int size)
{
    for (const face& f : faces) {
        glBindTexture(GL_TEXTURE_2D, texture_names[first_slot + f.slot_offset]);
        glBegin(GL_QUADS);
        for (int k = 0; k < 4; ++k) {
            const int* corner = f.corners[k];
            glTexCoord2f(texture_corners[k][0], texture_corners[k][1]);
            glVertex3f(static_cast<float>(x + corner[0] * size),
                       static_cast<float>(y + corner[1] * size),
                       static_cast<float>(corner[2] * size));
        }
        glEnd();
    }
}

void draw_grid()
{
    constexpr int size = 10;
    constexpr int pitch = size + 4;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            draw_box((r * 4 + c) * 6, c * pitch, r * pitch, size);
}
