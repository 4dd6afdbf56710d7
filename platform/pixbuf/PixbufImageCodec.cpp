// Picture decoding through gdk-pixbuf. Only the five formats the label system accepts reach a
// loader, each chosen by its signature, so that no other loader (SVG, ICO, XPM, ...) ever sees
// outside bytes.
#include "platform/ImageCodec.h"
#include "platform/OneBitBmp.h"
#include "platform/PictureSniffer.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace tav::platform {
namespace {

const char* loaderType(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Gif:
        return "gif";
    case PictureFormat::Tiff:
        return "tiff";
    }
    return "";
}

struct LoadState {
    std::uint64_t maxPixels = 0;
    bool refused = false;
};

// Called by the loader once the picture's size is known and before it allocates the pixels.
void onSizePrepared(GdkPixbufLoader* loader, gint width, gint height, gpointer data) {
    auto* state = static_cast<LoadState*>(data);
    if (width <= 0 || height <= 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > state->maxPixels) {
        state->refused = true;
        // A zero size tells the format module to stop without allocating anything more.
        gdk_pixbuf_loader_set_size(loader, 0, 0);
    }
}

class LoaderHolder {
public:
    explicit LoaderHolder(GdkPixbufLoader* loader) : m_loader(loader) {}
    ~LoaderHolder() {
        if (m_loader)
            g_object_unref(m_loader);
    }
    LoaderHolder(const LoaderHolder&) = delete;
    LoaderHolder& operator=(const LoaderHolder&) = delete;
    GdkPixbufLoader* get() const { return m_loader; }

private:
    GdkPixbufLoader* m_loader;
};

std::optional<DecodedImage> toImage(GdkPixbuf* pixbuf, std::uint64_t maxPixels) {
    int width = gdk_pixbuf_get_width(pixbuf);
    int height = gdk_pixbuf_get_height(pixbuf);
    int channels = gdk_pixbuf_get_n_channels(pixbuf);
    int rowstride = gdk_pixbuf_get_rowstride(pixbuf);
    if (gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB ||
        gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || (channels != 3 && channels != 4) ||
        width <= 0 || height <= 0 || rowstride < width * channels ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > maxPixels)
        return std::nullopt;
    // Some loaders (GIF, TIFF) always give an alpha channel; what counts is whether it is used.
    bool alpha = gdk_pixbuf_get_has_alpha(pixbuf) && channels == 4;
    const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf);

    DecodedImage image;
    image.width = width;
    image.height = height;
    image.argb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t* out = image.argb.data();
    for (int y = 0; y < height; ++y) {
        const guint8* p =
            pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(rowstride);
        for (int x = 0; x < width; ++x, p += channels) {
            std::uint32_t a = alpha ? p[3] : 0xFFu;
            image.hasAlpha = image.hasAlpha || a != 0xFF;
            *out++ = a << 24 | static_cast<std::uint32_t>(p[0]) << 16 |
                     static_cast<std::uint32_t>(p[1]) << 8 | p[2];
        }
    }
    return image;
}

} // namespace

std::optional<DecodedImage> decodeImage(std::span<const std::uint8_t> bytes,
                                        std::uint64_t maxPixels) {
    auto facts = inspectPicture(bytes, maxPixels);
    if (!facts)
        return std::nullopt;
    if (facts->format == PictureFormat::Bmp && facts->oneBit) {
        if (auto image = decodeOneBitBmp(bytes, maxPixels))
            return image;
    }
    GError* error = nullptr;
    LoaderHolder loader(gdk_pixbuf_loader_new_with_type(loaderType(facts->format), &error));
    g_clear_error(&error);
    if (!loader.get())
        return std::nullopt;
    LoadState state{maxPixels, false};
    // GCallback is void (*)(void), the one function type every callback may be cast to.
    g_signal_connect(loader.get(), "size-prepared", reinterpret_cast<GCallback>(&onSizePrepared),
                     &state);
    bool written = gdk_pixbuf_loader_write(loader.get(), bytes.data(), bytes.size(), &error);
    g_clear_error(&error);
    // Closed in any case, so that the loader releases what it holds.
    bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
    g_clear_error(&error);
    if (!written || !closed || state.refused)
        return std::nullopt;
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get()); // owned by the loader
    if (!pixbuf)
        return std::nullopt;
    auto image = toImage(pixbuf, maxPixels);
    if (image)
        image->oneBit = facts->oneBit;
    return image;
}

} // namespace tav::platform
