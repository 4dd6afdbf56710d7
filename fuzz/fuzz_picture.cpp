// Picture bytes from outside: the BMP header's ranges, turnPicture at every rotation and
// decodeImage. A turned picture is
// itself turnable, and turning its result back must give it again: the mirror and the transpose
// undo themselves, four quarter turns close the circle.
#include "platform/Bmp.h"
#include "platform/ImageCodec.h"
#include "printengine/PictureTurn.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace {

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

void checkTurns(std::span<const std::uint8_t> bytes) {
    auto mirrored = tav::engine::turnPicture(bytes, 1800);
    auto transposed = tav::engine::turnPicture(bytes, 2700);
    auto quarter = tav::engine::turnPicture(bytes, 900);
    bool turnable = !std::equal(mirrored.begin(), mirrored.end(), bytes.begin(), bytes.end());
    if (!turnable)
        return;
    using tav::engine::turnPicture;
    require(turnPicture(turnPicture(mirrored, 1800), 1800) == mirrored);
    require(turnPicture(turnPicture(transposed, 2700), 2700) == transposed);
    auto around = turnPicture(turnPicture(turnPicture(turnPicture(quarter, 900), 900), 900), 900);
    require(around == quarter);
}

// Every range readBmpHeader gives lies within the bytes.
void checkHeader(std::span<const std::uint8_t> bytes) {
    const auto header = tav::platform::readBmpHeader(bytes);
    if (!header)
        return;
    require(header->width > 0 && header->height > 0);
    require(header->colorsAt + std::uint64_t{header->colors} * header->entrySize <=
            header->bitsOffset);
    require(header->bitsOffset <= bytes.size());
    if (!header->isRle())
        require(header->bitsOffset + std::uint64_t{header->stride} * header->height <=
                bytes.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    checkHeader(bytes);
    checkTurns(bytes);
    // A smaller limit than the renderer's keeps each run quick.
    (void)tav::platform::decodeImage(bytes, 1u << 20);
    return 0;
}
