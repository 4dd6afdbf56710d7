// Picture decoding through GDI+. Only the five formats the label system accepts reach it, each
// recognised by its signature, with the size the header claims checked before GDI+ sees the
// bytes; uncompressed one-bit BMPs (every barcode and QR code) are read directly.
#include "platform/ImageCodec.h"
#include "platform/OneBitBmp.h"
#include "platform/PictureSniffer.h"

#include <windows.h>

#include <gdiplus.h>
#include <objidl.h>

#include <cstring>

namespace tav::platform {
namespace {

using Bytes = std::span<const std::uint8_t>;

// GDI+ is started once for the process and left running: shutting it down while the process
// ends (from a DLL's unload) is not allowed.
bool gdiplusStarted() {
    static const bool started = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return started;
}

// The size a JPEG's frame header gives, read before the decoder allocates anything for it.
bool jpegWithinLimit(Bytes b, std::uint64_t maxPixels) {
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF)
            return false;
        const std::uint8_t marker = b[at + 1];
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(b[at + 2]) << 8 | b[at + 3];
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > b.size())
                return false;
            const std::uint64_t height = static_cast<std::uint64_t>(b[at + 5]) << 8 | b[at + 6];
            const std::uint64_t width = static_cast<std::uint64_t>(b[at + 7]) << 8 | b[at + 8];
            return width > 0 && height > 0 && width * height <= maxPixels;
        }
        if (length < 2)
            return false;
        at += 2 + length;
    }
    return false;
}

class StreamHolder {
public:
    explicit StreamHolder(IStream* stream) : m_stream(stream) {}
    ~StreamHolder() {
        if (m_stream)
            m_stream->Release();
    }
    StreamHolder(const StreamHolder&) = delete;
    StreamHolder& operator=(const StreamHolder&) = delete;
    IStream* get() const { return m_stream; }

private:
    IStream* m_stream;
};

// The bytes as a stream that owns a copy of them.
IStream* memoryStream(Bytes bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == nullptr)
        return nullptr;
    void* data = GlobalLock(memory);
    if (data == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        return nullptr;
    }
    return stream;
}

std::optional<DecodedImage> decodeWithGdiplus(Bytes bytes, std::uint64_t maxPixels) {
    if (!gdiplusStarted())
        return std::nullopt;
    StreamHolder stream(memoryStream(bytes));
    if (stream.get() == nullptr)
        return std::nullopt;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.get(), &bitmap) != Gdiplus::Ok ||
        bitmap == nullptr)
        return std::nullopt;
    std::optional<DecodedImage> result;
    UINT width = 0, height = 0;
    Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
    Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
    if (width > 0 && height > 0 && width <= 0x7FFFFFFF && height <= 0x7FFFFFFF &&
        std::uint64_t{width} * height <= maxPixels) {
        Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
        Gdiplus::BitmapData data{};
        if (Gdiplus::DllExports::GdipBitmapLockBits(bitmap, &whole, Gdiplus::ImageLockModeRead,
                                                    PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
            DecodedImage image;
            image.width = static_cast<int>(width);
            image.height = static_cast<int>(height);
            image.argb.resize(std::size_t{width} * height);
            std::uint32_t* out = image.argb.data();
            for (UINT y = 0; y < height; ++y) {
                // 32bppARGB is 0xAARRGGBB per pixel, as DecodedImage holds it.
                const auto* row = reinterpret_cast<const std::uint32_t*>(
                    static_cast<const std::uint8_t*>(data.Scan0) +
                    static_cast<std::ptrdiff_t>(y) * data.Stride);
                for (UINT x = 0; x < width; ++x) {
                    const std::uint32_t p = row[x];
                    image.hasAlpha = image.hasAlpha || (p >> 24) != 0xFF;
                    *out++ = p;
                }
            }
            Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap, &data);
            result = std::move(image);
        }
    }
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return result;
}

} // namespace

std::optional<DecodedImage> decodeImage(std::span<const std::uint8_t> bytes,
                                        std::uint64_t maxPixels) {
    const auto facts = inspectPicture(bytes, maxPixels);
    if (!facts)
        return std::nullopt;
    if (facts->format == PictureFormat::Bmp && facts->oneBit) {
        if (auto image = decodeOneBitBmp(bytes, maxPixels))
            return image;
    }
    if (facts->format == PictureFormat::Jpeg && !jpegWithinLimit(bytes, maxPixels))
        return std::nullopt;
    auto image = decodeWithGdiplus(bytes, maxPixels);
    if (image)
        image->oneBit = facts->oneBit;
    return image;
}

} // namespace tav::platform
