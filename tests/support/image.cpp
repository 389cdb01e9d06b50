#include "image.h"

#include <png.h>

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
