#include "image.h"

#include <png.h>
// jpeglib.h needs FILE and size_t declared first.
#include <cstdio>
#include <jpeglib.h>

#include <csetjmp>
#include <functional>
#include <stdexcept>

rgb image::at_window(int x, int y) const
{
    const std::size_t i = (static_cast<std::size_t>(height - 1 - y) * width + x) * 3;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
}

image read_png(const std::string& path)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        throw std::runtime_error("cannot read " + path + ": " + png.message);
    png.format = PNG_FORMAT_RGB;
    image result;
    result.width = static_cast<int>(png.width);
    result.height = static_cast<int>(png.height);
    result.pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, result.pixels.data(), 0, nullptr))
        throw std::runtime_error("cannot decode " + path + ": " + png.message);
    return result;
}

namespace {

// Writes a PNG file row by row, so that a huge one needs no more memory
// than a row.
void write_png_rows(const std::string& path, int width, int height, int bit_depth,
                    int colour_type, const std::function<const unsigned char*(int)>& row)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw std::runtime_error("cannot write " + path);
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, bit_depth, colour_type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, row(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

}

void write_png(const std::string& path, const image& picture)
{
    const std::size_t row_bytes = static_cast<std::size_t>(picture.width) * 3;
    write_png_rows(path, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB,
                   [&](int y) { return &picture.pixels[y * row_bytes]; });
}

void write_blank_png(const std::string& path, int width, int height)
{
    const std::vector<unsigned char> row((width + 7) / 8);
    write_png_rows(path, width, height, 1, PNG_COLOR_TYPE_GRAY, [&](int) { return row.data(); });
}

void write_jpeg(const std::string& path, const image& picture, int quality)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    jpeg_stdio_dest(&jpeg, file);
    jpeg.image_width = picture.width;
    jpeg.image_height = picture.height;
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, quality, TRUE);
    jpeg_start_compress(&jpeg, TRUE);
    while (jpeg.next_scanline < jpeg.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            &picture.pixels[static_cast<std::size_t>(jpeg.next_scanline) * picture.width * 3]);
        jpeg_write_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
    std::fclose(file);
}
