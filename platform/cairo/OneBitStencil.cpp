#include "platform/cairo/OneBitStencil.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <utility>
#include <vector>

namespace tav::platform {
namespace {

// A picture's ink, as a one-bit picture with its rows compared whole.
struct InkRows {
    OneBitPicture picture;
    int width = 0, height = 0;

    const std::uint8_t* row(int y) const {
        return picture.row(static_cast<std::uint32_t>(y)).data();
    }
    bool at(int x, int y) const {
        return picture.ink(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
    }
    bool sameRows(int a, int b) const { return std::memcmp(row(a), row(b), picture.stride) == 0; }
    bool rowHasInk(int y) const {
        const std::uint8_t* r = row(y);
        return std::any_of(r, r + picture.stride, [](std::uint8_t byte) { return byte != 0; });
    }
};

// The plane's set bits, or its clear bits when `inverted`. Nothing for a picture too large.
std::optional<InkRows> fromPlane(const DecodedImage& image, bool inverted) {
    const auto& plane = *image.plane;
    InkRows rows{{}, image.width, image.height};
    if (!rows.picture.reset(static_cast<std::uint64_t>(image.width),
                            static_cast<std::uint64_t>(image.height)))
        return std::nullopt;
    const std::uint8_t flip = inverted ? 0xFF : 0x00;
    const std::size_t bytes = static_cast<std::size_t>(image.width + 7) / 8;
    const auto lastMask =
        static_cast<std::uint8_t>(image.width % 8 ? 0xFF00 >> (image.width % 8) : 0xFF);
    for (int y = 0; y < image.height; ++y) {
        auto* out = rows.picture.row(static_cast<std::uint32_t>(y));
        const std::uint8_t* in = plane.bits.data() + plane.stride * static_cast<std::size_t>(y);
        for (std::size_t i = 0; i < bytes; ++i)
            out[i] = static_cast<std::uint8_t>(in[i] ^ flip);
        out[bytes - 1] &= lastMask;
    }
    return rows;
}

std::optional<InkRows> fromPixels(const DecodedImage& image, std::uint32_t ink) {
    InkRows rows{{}, image.width, image.height};
    if (!rows.picture.reset(static_cast<std::uint64_t>(image.width),
                            static_cast<std::uint64_t>(image.height)))
        return std::nullopt;
    const std::uint32_t* in = image.argb.data();
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (*in++ == ink)
                rows.picture.setInk(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
    return rows;
}

// The background (the color of the top-left pixel: a barcode's margin, a QR code's quiet zone)
// and the ink of an opaque picture of at most two colors; the ink is the background when there
// is only one. Nothing for any other picture.
std::optional<std::pair<std::uint32_t, std::uint32_t>> twoColors(const DecodedImage& image) {
    if (image.plane) {
        const auto& colors = image.plane->colors;
        const bool cornerSet = !image.plane->bits.empty() && (image.plane->bits[0] & 0x80) != 0;
        return cornerSet ? std::pair{colors[1], colors[0]} : std::pair{colors[0], colors[1]};
    }
    if (image.hasAlpha || image.argb.empty())
        return std::nullopt;
    const std::uint32_t first = image.argb.front();
    std::optional<std::uint32_t> second;
    for (std::uint32_t p : image.argb) {
        if (p == first || p == second)
            continue;
        if (second)
            return std::nullopt;
        second = p;
    }
    return std::pair{first, second.value_or(first)};
}

// Sets pixel `x` of a cairo one-bit row, whose bit order follows the host's byte order.
void setMaskBit(unsigned char* row, int x) {
    auto* word = reinterpret_cast<std::uint32_t*>(row) + (x >> 5);
    if constexpr (std::endian::native == std::endian::little)
        *word |= 1u << (x & 31);
    else
        *word |= 0x80000000u >> (x & 31);
}

} // namespace

Stencil::Stencil(Stencil&& other) noexcept
    : background(other.background), ink(other.ink), mask(std::exchange(other.mask, nullptr)),
      x(other.x), y(other.y), moduleWidth(other.moduleWidth), moduleHeight(other.moduleHeight) {}

Stencil::~Stencil() {
    if (mask != nullptr)
        cairo_surface_destroy(mask);
}

std::optional<Stencil> makeStencil(const DecodedImage& image) {
    const auto colors = twoColors(image);
    if (!colors || image.width <= 0 || image.height <= 0)
        return std::nullopt;
    if (image.plane &&
        (image.plane->stride < static_cast<std::size_t>(image.width + 7) / 8 ||
         image.plane->bits.size() != image.plane->stride * static_cast<std::size_t>(image.height)))
        return std::nullopt;
    if (!image.plane && image.argb.size() != static_cast<std::size_t>(image.width) *
                                                 static_cast<std::size_t>(image.height))
        return std::nullopt;
    Stencil stencil;
    stencil.background = colors->first;
    stencil.ink = colors->second;
    if (colors->first == colors->second)
        return stencil;
    const bool inkIsClearBits = image.plane && stencil.ink == image.plane->colors[0];
    const auto made =
        image.plane ? fromPlane(image, inkIsClearBits) : fromPixels(image, colors->second);
    if (!made)
        return std::nullopt;
    const InkRows& rows = *made;

    // The rows that hold ink, and where the rows change within them.
    int top = -1, bottom = -1;
    for (int y = 0; y < rows.height; ++y) {
        if (rows.rowHasInk(y)) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    if (top < 0)
        return stencil;
    int moduleHeight = bottom + 1 - top;
    std::vector<int> distinctRows = {top};
    for (int y = top + 1; y <= bottom; ++y) {
        if (!rows.sameRows(y, y - 1)) {
            moduleHeight = std::gcd(moduleHeight, y - top);
            distinctRows.push_back(y);
        }
    }
    // The columns that hold ink, and where the pixels change along the distinct rows.
    int left = rows.width, right = -1;
    std::vector<int> changes;
    for (int y : distinctRows) {
        bool previous = false;
        for (int x = 0; x < rows.width; ++x) {
            // Whole bytes without a change are passed over at once.
            if ((x & 7) == 0 && x + 8 <= rows.width &&
                rows.row(y)[x >> 3] == (previous ? 0xFF : 0x00)) {
                if (previous) // ink that began before this byte goes on through it
                    right = std::max(right, x + 7);
                x += 7;
                continue;
            }
            const bool ink = rows.at(x, y);
            if (ink) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
            if (ink != previous)
                changes.push_back(x);
            previous = ink;
        }
        if (previous)
            changes.push_back(rows.width);
    }
    int moduleWidth = right + 1 - left;
    for (int change : changes)
        moduleWidth = std::gcd(moduleWidth, change - left);

    const int columns = (right + 1 - left) / moduleWidth;
    const int gridRows = (bottom + 1 - top) / moduleHeight;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A1, columns, gridRows);
    if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(mask);
        return std::nullopt;
    }
    cairo_surface_flush(mask);
    unsigned char* data = cairo_image_surface_get_data(mask);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(mask));
    for (int j = 0; j < gridRows; ++j) {
        unsigned char* out = data + static_cast<std::size_t>(j) * stride;
        std::memset(out, 0, stride);
        for (int i = 0; i < columns; ++i)
            if (rows.at(left + i * moduleWidth, top + j * moduleHeight))
                setMaskBit(out, i);
    }
    cairo_surface_mark_dirty(mask);
    stencil.mask = mask;
    stencil.x = left;
    stencil.y = top;
    stencil.moduleWidth = moduleWidth;
    stencil.moduleHeight = moduleHeight;
    return stencil;
}

} // namespace tav::platform
