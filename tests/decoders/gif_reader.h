#pragma once
// Reads a GIF file from memory with giflib, for the GIF encoder's tests and fuzz target.
#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vellum::decoders {

struct GifImage {
    bool ok = false;
    std::string problem;  // giflib's error, or what about the file is not as written
    int width = 0, height = 0;
    std::vector<uint32_t> table;   // the global colour table, 0xRRGGBB
    std::vector<uint8_t> indices;  // one per pixel, rows from the top
    std::vector<uint32_t> rgb;     // the same pixels as 0xRRGGBB
};

namespace gif_reader_detail {

struct Source {
    const std::vector<uint8_t>* file;
    size_t at;
};

inline int Read(GifFileType* gif, GifByteType* into, int size) {
    Source* source = static_cast<Source*>(gif->UserData);
    const size_t left = source->file->size() - source->at;
    const size_t n = static_cast<size_t>(size) < left ? static_cast<size_t>(size) : left;
    std::memcpy(into, source->file->data() + source->at, n);
    source->at += n;
    return static_cast<int>(n);
}

}  // namespace gif_reader_detail

// ok only when giflib read one image over the whole screen with a global colour table, no local
// table and no interlacing, every index inside the table, and the file ended at its trailer.
inline GifImage ReadGif(const std::vector<uint8_t>& file) {
    namespace d = gif_reader_detail;
    GifImage image;
    d::Source source{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, d::Read, &error);
    if (!gif) {
        image.problem = std::string("DGifOpen: ") + GifErrorString(error);
        return image;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        image.problem = std::string("DGifSlurp: ") + GifErrorString(gif->Error);
    } else if (gif->ImageCount != 1 || !gif->SColorMap) {
        image.problem = "not one image under a global colour table";
    } else {
        const SavedImage& saved = gif->SavedImages[0];
        const GifImageDesc& desc = saved.ImageDesc;
        image.width = gif->SWidth;
        image.height = gif->SHeight;
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType& c = gif->SColorMap->Colors[i];
            image.table.push_back(static_cast<uint32_t>(c.Red) << 16 |
                                  static_cast<uint32_t>(c.Green) << 8 | c.Blue);
        }
        const size_t pixels = static_cast<size_t>(desc.Width) * static_cast<size_t>(desc.Height);
        if (desc.Left != 0 || desc.Top != 0 || desc.Width != gif->SWidth ||
            desc.Height != gif->SHeight || desc.ColorMap || desc.Interlace) {
            image.problem = "the image is not the whole screen, plain";
        } else if (source.at != file.size()) {
            image.problem = "bytes after the trailer";
        } else {
            image.indices.assign(saved.RasterBits, saved.RasterBits + pixels);
            image.ok = true;
            for (const uint8_t index : image.indices) {
                if (index >= image.table.size()) {
                    image.ok = false;
                    image.problem = "an index outside the colour table";
                    break;
                }
                image.rgb.push_back(image.table[index]);
            }
        }
    }
    DGifCloseFile(gif, &error);
    return image;
}

}  // namespace vellum::decoders
