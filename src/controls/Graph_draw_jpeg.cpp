// JPEG picture from memory, decoded with libjpeg.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "controls/Graph_draw.h"

namespace {

// Larger pictures are refused rather than allocated.
constexpr unsigned long kMaxPixels = 1ul << 26;

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

[[noreturn]] void jpeg_fail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpeg_silent(j_common_ptr) {}

// Plain C decode: no object with a destructor lives across the setjmp.
// On success *pixels is a malloc'd RGB buffer of w x h x 3 bytes.
bool decode_rgb(const uint8_t* data, size_t size, unsigned char** pixels, int* w, int* h)
{
    jpeg_decompress_struct info;
    JpegError err;
    unsigned char* volatile buffer = nullptr;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpeg_fail;
    err.mgr.output_message = jpeg_silent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const unsigned long width = info.output_width;
    const unsigned long height = info.output_height;
    if (info.output_components != 3 || width == 0 || height == 0 || width * height > kMaxPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    buffer = static_cast<unsigned char*>(std::malloc(width * height * 3));
    if (!buffer) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < height) {
        JSAMPROW row = buffer + size_t(info.output_scanline) * width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    *pixels = buffer;
    *w = static_cast<int>(width);
    *h = static_cast<int>(height);
    return true;
}

}  // namespace

bool Graph_draw_jpeg_from_memory(ImageBox* box, const uint8_t* data, size_t size)
{
    if (!box || !data || size == 0)
        return false;
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    if (!decode_rgb(data, size, &pixels, &w, &h))
        return false;
    QImage picture(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        std::memcpy(picture.scanLine(y), pixels + size_t(y) * w * 3, size_t(w) * 3);
    std::free(pixels);

    Canvas& canvas = box->canvas();
    if (!canvas.active())
        return false;
    const int x = w < box->width() ? (box->width() - w) / 2 : 0;
    const int y = h < box->height() ? (box->height() - h) / 2 : 0;
    canvas.painter()->drawImage(x, y, picture);
    box->update();
    return true;
}
