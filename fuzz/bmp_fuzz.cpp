// libFuzzer entry point for the bitmap reader: any bytes in, no crash, no read
// outside the buffer, and a decoded image always has a full pixel buffer.
#include "assets/bmp_reader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BitmapFailure failure = BITMAP_OK;
    ImageRGB* image = decodeBitmap(data, size, &failure);
    if (image) {
        if (image->width < 1 || image->height < 1 || failure != BITMAP_OK)
            std::abort();
        // Touch the last byte so a short buffer shows up under AddressSanitizer.
        const size_t last = size_t(image->width) * size_t(image->height) * 3 - 1;
        volatile uint8_t byte = image->pixels[last];
        (void)byte;
    } else if (failure == BITMAP_OK) {
        std::abort();
    }
    freeImage(image);
    return 0;
}
