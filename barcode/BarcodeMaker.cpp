#include "barcode/BarcodeMaker.h"

#include "barcode/BmpWriter.h"
#include "barcode/TextCleaner.h"
#include "platform/File.h"

namespace tav::barcode {
namespace {

template <typename Buffer> void trimBuffer(Buffer& buffer, std::size_t bytes) {
    if (buffer.capacity() * sizeof(typename Buffer::value_type) > bytes)
        Buffer().swap(buffer);
}

} // namespace

bool BarcodeMaker::make(std::string_view text, bool rotate) {
    m_rotate = rotate;
    m_bmp.clear();
    cleanText(text, m_cleaned);
    segmentText(m_cleaned, m_segments);
    symbolValues(m_cleaned, m_segments, m_values);
    elementWidths(m_values, m_widths);
    // A turned picture that cannot be stored fails before the upright one is drawn.
    if (rotate &&
        !bmpFileSize(kBarcodeHeight, kModulePixels * moduleCount(m_widths) + 2 * kMarginPixels))
        return false;
    if (!renderBarcode(m_widths, m_bitmap))
        return false;
    if (rotate && !rotateClockwise(m_bitmap, m_rotated))
        return false;
    writeBmp(bitmap(), m_bmp);
    return true;
}

void BarcodeMaker::trim(std::size_t bytes) {
    trimBuffer(m_cleaned, bytes);
    trimBuffer(m_segments, bytes);
    trimBuffer(m_values, bytes);
    trimBuffer(m_widths, bytes);
    trimBuffer(m_bmp, bytes);
    // A bitmap is about as large as the image made from it.
    if (m_bitmap.stride() * m_bitmap.height() > bytes)
        m_bitmap = MonoBitmap();
    if (m_rotated.stride() * m_rotated.height() > bytes)
        m_rotated = MonoBitmap();
}

bool writeBarcodeFile(std::string_view text, int rotate, const std::string& path) {
    // One maker per thread, so that repeated calls reuse its memory; a large symbol's memory is
    // given back afterwards.
    thread_local BarcodeMaker maker;
    constexpr std::size_t kKeptBytes = 1 << 20;
    const bool made = maker.make(text, rotate == 1);
    const bool written = platform::overwriteWholeFile(path, maker.bmp());
    maker.trim(kKeptBytes);
    return made && written;
}

} // namespace tav::barcode
