#pragma once
// Reads a PNG file from memory with libpng, which checks every chunk's CRC and the zlib stream's
// Adler-32, for the encoder's tests and fuzz target.
#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vellum::decoders {

struct PngImage {
    bool ok = false;
    std::string problem;  // libpng's error or warnings, when any
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colorType = -1, interlace = -1;
    std::vector<uint8_t> rgb;  // rows of red, green, blue, top-down
};

namespace png_reader_detail {

struct Source {
    const std::vector<uint8_t>* file;
    size_t at;
    std::string* problem;
};

inline void Read(png_structp png, png_bytep into, size_t size) {
    Source* source = static_cast<Source*>(png_get_io_ptr(png));
    if (size > source->file->size() - source->at)
        png_error(png, "read past the end of the file");
    std::memcpy(into, source->file->data() + source->at, size);
    source->at += size;
}

inline void Fail(png_structp png, png_const_charp message) {
    Source* source = static_cast<Source*>(png_get_error_ptr(png));
    *source->problem += std::string("error: ") + message + "\n";
    png_longjmp(png, 1);
}

inline void Warn(png_structp png, png_const_charp message) {
    Source* source = static_cast<Source*>(png_get_error_ptr(png));
    *source->problem += std::string("warning: ") + message + "\n";
}

}  // namespace png_reader_detail

// The pixels as 8-bit RGB; ok only when libpng read the file to its end without a complaint.
// Only a file of 8-bit RGB without interlacing is read (the others are reported as such).
inline PngImage ReadPng(const std::vector<uint8_t>& file) {
    namespace d = png_reader_detail;
    PngImage image;
    d::Source source{&file, 0, &image.problem};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, d::Fail, d::Warn);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        image.problem = "libpng out of memory";
        return image;
    }
    // Every object that lives across setjmp exists before it; png_longjmp skips no destructor.
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &source, d::Read);
        png_read_info(png, info);
        png_uint_32 width = 0, height = 0;
        png_get_IHDR(png, info, &width, &height, &image.bitDepth, &image.colorType,
                     &image.interlace, nullptr, nullptr);
        image.width = width;
        image.height = height;
        if (image.bitDepth == 8 && image.colorType == PNG_COLOR_TYPE_RGB &&
            image.interlace == PNG_INTERLACE_NONE) {
            image.rgb.resize(size_t{width} * height * 3);
            rows.resize(height);
            for (png_uint_32 y = 0; y < height; ++y)
                rows[y] = image.rgb.data() + size_t{y} * width * 3;
            png_read_image(png, rows.data());
            png_read_end(png, info);
            image.ok = image.problem.empty() && source.at == file.size();
            if (source.at != file.size())
                image.problem += "bytes after IEND\n";
        } else {
            image.problem += "not 8-bit RGB without interlacing\n";
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}

}  // namespace vellum::decoders
