#include "qrcode/QrSymbol.h"

#include "platform/Charset.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <qrencode.h>

namespace tav::qr {
namespace {

std::uint8_t clampedChannel(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

QRecLevel toQrencode(ErrorCorrection level) {
    switch (level) {
    case ErrorCorrection::L:
        return QR_ECLEVEL_L;
    case ErrorCorrection::M:
        return QR_ECLEVEL_M;
    case ErrorCorrection::Q:
        return QR_ECLEVEL_Q;
    case ErrorCorrection::H:
        return QR_ECLEVEL_H;
    }
    return QR_ECLEVEL_M;
}

class QrcodeHolder {
public:
    explicit QrcodeHolder(QRcode* code) : m_code(code) {}
    ~QrcodeHolder() {
        if (m_code)
            QRcode_free(m_code);
    }
    QrcodeHolder(const QrcodeHolder&) = delete;
    QrcodeHolder& operator=(const QrcodeHolder&) = delete;
    const QRcode* get() const { return m_code; }

private:
    QRcode* m_code;
};

class QrinputHolder {
public:
    explicit QrinputHolder(QRinput* input) : m_input(input) {}
    ~QrinputHolder() {
        if (m_input)
            QRinput_free(m_input);
    }
    QrinputHolder(const QrinputHolder&) = delete;
    QrinputHolder& operator=(const QrinputHolder&) = delete;
    QRinput* get() const { return m_input; }

private:
    QRinput* m_input;
};

// One byte-mode segment behind an ECI designator for UTF-8. Null with errno set on failure.
QRcode* encodeUtf8WithEci(std::string_view utf8, int version, QRecLevel level) {
    constexpr unsigned int kEciUtf8 = 26;
    QrinputHolder input(QRinput_new2(version, level));
    if (!input.get() || QRinput_appendECIheader(input.get(), kEciUtf8) != 0 ||
        QRinput_append(input.get(), QR_MODE_8, static_cast<int>(utf8.size()),
                       reinterpret_cast<const unsigned char*>(utf8.data())) != 0)
        return nullptr;
    return QRcode_encodeInput(input.get());
}

// For each pixel along one side, the symbol module it shows, or -1 for the light border.
std::vector<int> moduleMap(int pixels, int firstPixel, std::int64_t span, std::int64_t modules,
                           int quietZone, int symbolWidth) {
    std::vector<int> map(static_cast<std::size_t>(pixels), -1);
    for (int p = 0; p < pixels; ++p) {
        std::int64_t offset = p - firstPixel;
        if (offset < 0 || offset >= span)
            continue;
        auto module = offset * modules / span - quietZone;
        if (module >= 0 && module < symbolWidth)
            map[static_cast<std::size_t>(p)] = static_cast<int>(module);
    }
    return map;
}

void putLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    putLe16(out, value & 0xFFFF);
    putLe16(out, value >> 16);
}

} // namespace

Rgb clampedColor(int red, int green, int blue) {
    return {clampedChannel(red), clampedChannel(green), clampedChannel(blue)};
}

Encoding encodingFromArgument(int encoding) {
    return encoding == 1 ? Encoding::Bytes : Encoding::Automatic;
}

int versionFromArgument(int version) {
    return version >= 1 && version <= 40 ? version : 0;
}

int quietZoneFromArgument(int quietZone) {
    return std::clamp(quietZone, 0, kMaxPictureSide);
}

ErrorCorrection levelFromRecovery(double recovery) {
    if (std::isnan(recovery))
        return ErrorCorrection::M;
    if (recovery <= 0.07)
        return ErrorCorrection::L;
    if (recovery <= 0.15)
        return ErrorCorrection::M;
    if (recovery <= 0.25)
        return ErrorCorrection::Q;
    return ErrorCorrection::H;
}

int sideFromArgument(int side) {
    return side < 1 ? 256 : side;
}

const char* toString(QrError error) {
    switch (error) {
    case QrError::None:
        return "no error";
    case QrError::EmptyMessage:
        return "the message is empty";
    case QrError::NotGbk:
        return "the message is not GBK text";
    case QrError::TooLong:
        return "the message is too long for a QR code";
    case QrError::DoesNotFit:
        return "the symbol does not fit in the picture";
    case QrError::TooLarge:
        return "the picture size is too large";
    case QrError::EncoderFailed:
        return "the QR encoder failed";
    }
    return "unknown error";
}

std::optional<QrModules> encodeModules(std::string_view utf8, Encoding encoding, int version,
                                       ErrorCorrection level, QrError& error) {
    if (utf8.empty()) {
        error = QrError::EmptyMessage;
        return std::nullopt;
    }
    if (utf8.size() > 8000) { // more than any version holds; spares the encoder the work
        error = QrError::TooLong;
        return std::nullopt;
    }
    errno = 0;
    QRcode* raw = nullptr;
    bool ascii = std::all_of(utf8.begin(), utf8.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        // Text beyond ASCII says it is UTF-8 (ECI 26): without it, readers guess the character
        // set of byte mode, and short Chinese texts are taken for Shift-JIS.
        raw = encodeUtf8WithEci(utf8, version, toQrencode(level));
    } else if (encoding == Encoding::Automatic && utf8.find('\0') == std::string_view::npos) {
        // QR_MODE_8 as the hint keeps the encoder from reading bytes as Shift-JIS kanji; the
        // last argument keeps the letters' case.
        std::string text(utf8);
        raw = QRcode_encodeString(text.c_str(), version, toQrencode(level), QR_MODE_8, 1);
    } else {
        raw = QRcode_encodeData(static_cast<int>(utf8.size()),
                                reinterpret_cast<const unsigned char*>(utf8.data()), version,
                                toQrencode(level));
    }
    QrcodeHolder code(raw);
    if (!code.get()) {
        error = errno == ERANGE ? QrError::TooLong : QrError::EncoderFailed;
        return std::nullopt;
    }
    QrModules modules;
    modules.width = code.get()->width;
    auto count = static_cast<std::size_t>(modules.width) * static_cast<std::size_t>(modules.width);
    modules.dark.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        modules.dark[i] = (code.get()->data[i] & 1) != 0;
    error = QrError::None;
    return modules;
}

std::optional<OneBitPicture> drawModules(const QrModules& modules, int quietZone, int width,
                                         int height, bool wholeModules, QrError& error) {
    int square = std::min(width, height);
    int symbolWidth = modules.width;
    if (symbolWidth < 1 || square < symbolWidth) {
        error = QrError::DoesNotFit;
        return std::nullopt;
    }
    std::int64_t across = std::int64_t{symbolWidth} + 2 * std::int64_t{quietZone};
    if (across > square) {
        quietZone = (square - symbolWidth) / 2;
        across = symbolWidth + 2 * quietZone;
    }

    std::vector<int> columns;
    std::vector<int> rows;
    if (wholeModules) {
        // Whole pixels per module; the symbol is centred and the leftover widens the border.
        std::int64_t scale = square / across;
        std::int64_t span = scale * symbolWidth;
        columns = moduleMap(width, static_cast<int>((width - span) / 2), span, symbolWidth, 0,
                            symbolWidth);
        rows = moduleMap(height, static_cast<int>((height - span) / 2), span, symbolWidth, 0,
                         symbolWidth);
    } else {
        columns = moduleMap(width, (width - square) / 2, square, across, quietZone, symbolWidth);
        rows = moduleMap(height, (height - square) / 2, square, across, quietZone, symbolWidth);
    }

    OneBitPicture picture;
    picture.width = width;
    picture.height = height;
    picture.stride = (static_cast<std::size_t>(width) + 7) / 8;
    picture.bits.assign(picture.stride * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        int row = rows[static_cast<std::size_t>(y)];
        if (row < 0)
            continue;
        auto* line = picture.bits.data() + static_cast<std::size_t>(y) * picture.stride;
        if (y > 0 && rows[static_cast<std::size_t>(y) - 1] == row) {
            std::copy_n(line - picture.stride, picture.stride, line);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            int column = columns[static_cast<std::size_t>(x)];
            if (column >= 0 && modules.at(column, row))
                line[x / 8] = static_cast<std::uint8_t>(line[x / 8] | (0x80 >> (x % 8)));
        }
    }
    error = QrError::None;
    return picture;
}

std::vector<std::uint8_t> oneBitBmp(const OneBitPicture& picture, Rgb light, Rgb dark) {
    constexpr std::uint32_t kHeaders = 14 + 40 + 2 * 4;
    auto stride = ((static_cast<std::uint32_t>(picture.width) + 31) / 32) * 4;
    auto imageSize = stride * static_cast<std::uint32_t>(picture.height);
    std::vector<std::uint8_t> out;
    out.reserve(kHeaders + imageSize);
    out.push_back('B');
    out.push_back('M');
    putLe32(out, kHeaders + imageSize);
    putLe32(out, 0);
    putLe32(out, kHeaders);
    putLe32(out, 40);
    putLe32(out, static_cast<std::uint32_t>(picture.width));
    putLe32(out, static_cast<std::uint32_t>(picture.height)); // positive: rows stored bottom-up
    putLe16(out, 1);
    putLe16(out, 1);
    putLe32(out, 0); // BI_RGB
    putLe32(out, imageSize);
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 2);
    putLe32(out, 2);
    for (Rgb c : {light, dark}) {
        out.push_back(c.blue);
        out.push_back(c.green);
        out.push_back(c.red);
        out.push_back(0);
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        auto first = picture.bits.begin() + static_cast<std::ptrdiff_t>(y * picture.stride);
        out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(picture.stride));
        out.insert(out.end(), stride - picture.stride, 0);
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> renderQrBmp(const QrSettings& settings, QrError& error) {
    if (settings.width > kMaxPictureSide || settings.height > kMaxPictureSide ||
        settings.width < 1 || settings.height < 1) {
        error = QrError::TooLarge;
        return std::nullopt;
    }
    if (settings.message.empty()) {
        error = QrError::EmptyMessage;
        return std::nullopt;
    }
    // A text that is not GBK would be encoded as something else than the caller's text.
    auto utf8 = platform::gbkToUtf8Strict(settings.message);
    if (!utf8) {
        error = QrError::NotGbk;
        return std::nullopt;
    }
    auto modules = encodeModules(*utf8, settings.encoding, settings.version, settings.level, error);
    if (!modules)
        return std::nullopt;
    auto picture = drawModules(*modules, settings.quietZone, settings.width, settings.height,
                               settings.wholeModules, error);
    if (!picture)
        return std::nullopt;
    Rgb light = settings.negative ? settings.barColor : settings.backColor;
    Rgb dark = settings.negative ? settings.backColor : settings.barColor;
    return oneBitBmp(*picture, light, dark);
}

} // namespace tav::qr
