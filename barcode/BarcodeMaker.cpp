#include "barcode/BarcodeMaker.h"

#include "barcode/TextCleaner.h"
#include "platform/Bmp.h"
#include "platform/File.h"

namespace tav::barcode {
namespace {

template <typename Buffer> void trimBuffer(Buffer& buffer, std::size_t bytes) {
    if (buffer.capacity() * sizeof(typename Buffer::value_type) > bytes)
        Buffer().swap(buffer);
}

} // namespace

bool BarcodeMaker::make(std::string_view text, bool rotate) {
    m_bmp.clear();
    cleanText(text, m_cleaned);
    segmentText(m_cleaned, m_segments);
    symbolValues(m_cleaned, m_segments, m_values);
    elementWidths(m_values, m_widths);
    // A turned picture that cannot be stored fails before the upright one is drawn.
    if (rotate && !platform::oneBitBmpFileSize(
                      kBarcodeHeight, kModulePixels * moduleCount(m_widths) + 2 * kMarginPixels))
        return false;
    if (!renderBarcode(m_widths, m_bitmap))
        return false;
    if (rotate && !rotateClockwise(m_bitmap, m_rotated))
        return false;
    // Black bars on white, black first in the palette (see barcode.h).
    platform::writeOneBitBmp(rotate ? m_rotated : m_bitmap, {0xFFFFFF, 0x000000, true, false},
                             m_bmp);
    return true;
}

void BarcodeMaker::trim(std::size_t bytes) {
    trimBuffer(m_cleaned, bytes);
    trimBuffer(m_segments, bytes);
    trimBuffer(m_values, bytes);
    trimBuffer(m_widths, bytes);
    trimBuffer(m_bmp, bytes);
    // A bitmap is about as large as the image made from it.
    if (m_bitmap.bits.capacity() > bytes)
        m_bitmap = platform::OneBitPicture();
    if (m_rotated.bits.capacity() > bytes)
        m_rotated = platform::OneBitPicture();
}

Status writeBarcodeFile(std::string_view text, int rotate, const std::string& path) {
    // One maker per thread, so that repeated calls reuse its memory; a large symbol's memory is
    // given back afterwards.
    thread_local BarcodeMaker maker;
    constexpr std::size_t kKeptBytes = 1 << 20;
    const bool made = maker.make(text, rotate == 1);
    const bool written = platform::replaceWholeFile(path, maker.bmp());
    maker.trim(kKeptBytes);
    if (!made)
        return Status::failure("the barcode is too large for a BMP picture");
    if (!written)
        return Status::failure("cannot write " + path);
    return Status::success();
}

} // namespace tav::barcode
