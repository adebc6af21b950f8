#pragma once
// Reads a TIFF file from memory with libtiff, for the encoder's tests and fuzz target.
#include <tiffio.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vellum::decoders {

struct TiffImage {
    bool ok = false;
    std::string problem;  // libtiff's errors and warnings, when any
    uint32_t width = 0, height = 0, rowsPerStrip = 0, strips = 0;
    uint16_t compression = 0, samplesPerPixel = 0, bitsPerSample = 0, photometric = 0, planar = 0,
             resolutionUnit = 0;
    float xResolution = 0, yResolution = 0;
    bool littleEndian = false;
    std::vector<uint8_t> rgb;  // rows of red, green, blue, top-down
};

namespace tiff_reader_detail {

struct Source {
    const std::vector<uint8_t>* file;
    toff_t at;
};

inline tmsize_t Read(thandle_t handle, void* into, tmsize_t size) {
    Source* s = static_cast<Source*>(handle);
    const toff_t left = s->at < s->file->size() ? s->file->size() - s->at : 0;
    const toff_t n = static_cast<toff_t>(size) < left ? static_cast<toff_t>(size) : left;
    if (n != 0)
        std::memcpy(into, s->file->data() + s->at, n);
    s->at += n;
    return static_cast<tmsize_t>(n);
}

inline tmsize_t NoWrite(thandle_t, void*, tmsize_t) {
    return 0;
}

inline toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    Source* s = static_cast<Source*>(handle);
    if (whence == SEEK_CUR)
        offset += s->at;
    else if (whence == SEEK_END)
        offset += s->file->size();
    s->at = offset;
    return offset;
}

inline int Close(thandle_t) {
    return 0;
}
inline toff_t Size(thandle_t handle) {
    return static_cast<Source*>(handle)->file->size();
}
inline int NoMap(thandle_t, void**, toff_t*) {
    return 0;
}
inline void NoUnmap(thandle_t, void*, toff_t) {}

inline int Complain(TIFF*, void* problem, const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    *static_cast<std::string*>(problem) += std::string(module ? module : "") + ": " + text + "\n";
    return 1;  // handled: libtiff's global handler stays quiet
}

}  // namespace tiff_reader_detail

// The tags and, for 8-bit RGB in one plane, the pixels; ok only when libtiff read everything
// without an error or a warning.
inline TiffImage ReadTiff(const std::vector<uint8_t>& file) {
    namespace d = tiff_reader_detail;
    TiffImage image;
    d::Source source{&file, 0};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, d::Complain, &image.problem);
    TIFFOpenOptionsSetWarningHandlerExtR(options, d::Complain, &image.problem);
    // "m": read through the procedures, no mapping.
    TIFF* tiff = TIFFClientOpenExt("memory", "rm", &source, d::Read, d::NoWrite, d::Seek, d::Close,
                                   d::Size, d::NoMap, d::NoUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tiff) {
        image.problem += "not opened\n";
        return image;
    }
    image.littleEndian = !TIFFIsBigEndian(tiff);
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &image.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &image.height);
    TIFFGetField(tiff, TIFFTAG_ROWSPERSTRIP, &image.rowsPerStrip);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &image.compression);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &image.samplesPerPixel);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &image.bitsPerSample);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &image.photometric);
    TIFFGetField(tiff, TIFFTAG_PLANARCONFIG, &image.planar);
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &image.resolutionUnit);
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &image.xResolution);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &image.yResolution);
    image.strips = TIFFNumberOfStrips(tiff);
    bool read = false;
    if (image.samplesPerPixel == 3 && image.bitsPerSample == 8 &&
        image.planar == PLANARCONFIG_CONTIG && !TIFFIsTiled(tiff) &&
        TIFFScanlineSize64(tiff) == uint64_t{image.width} * 3) {
        image.rgb.resize(size_t{image.width} * image.height * 3);
        read = true;
        for (uint32_t y = 0; y < image.height && read; ++y)
            read = TIFFReadScanline(tiff, image.rgb.data() + size_t{y} * image.width * 3, y) == 1;
    } else {
        image.problem += "not 8-bit RGB in one plane\n";
    }
    // A single directory.
    if (TIFFReadDirectory(tiff))
        image.problem += "a second directory\n";
    TIFFClose(tiff);
    image.ok = read && image.problem.empty();
    return image;
}

}  // namespace vellum::decoders
