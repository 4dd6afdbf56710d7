#include "datasource/CsvEncoding.h"

#include "platform/Charset.h"
#include "platform/Utf8.h"

namespace tav::data {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

std::size_t utf8LengthFromLead(unsigned char lead) {
    return lead >= 0xC2 && lead <= 0xDF   ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

std::string lineText(std::size_t line) {
    return "line " + std::to_string(line);
}

} // namespace

const char* toString(CsvEncoding encoding) {
    switch (encoding) {
    case CsvEncoding::Utf8:
        return "UTF-8";
    case CsvEncoding::Gbk:
        return "GBK";
    case CsvEncoding::Detect:
        break;
    }
    return "detected";
}

void CsvEncodingScan::misfit(Reading& reading, std::size_t line) {
    if (reading.fits) {
        reading.fits = false;
        reading.badLine = line;
    }
}

bool CsvEncodingScan::utf8Byte(unsigned char b) {
    Reading& r = m_utf8;
    if (r.pendingSize == 0) {
        if (b < 0x80)
            return true;
        r.pendingLength = utf8LengthFromLead(b);
        if (r.pendingLength == 0)
            return false;
        r.pending[r.pendingSize++] = b;
        return true;
    }
    r.pending[r.pendingSize++] = b;
    if (r.pendingSize < r.pendingLength && (b & 0xC0) == 0x80)
        return true;
    const std::string_view character(reinterpret_cast<const char*>(r.pending), r.pendingSize);
    const bool whole = platform::utf8CharacterLength(character) == r.pendingSize;
    if (whole && r.pendingSize == 2)
        ++r.narrow;
    r.pendingSize = 0;
    return whole;
}

void CsvEncodingScan::endLine() {
    if (m_utf8.pendingSize != 0) {
        m_utf8.pendingSize = 0; // a character cut off by the end of the file
        m_lineNotUtf8 = true;
        misfit(m_utf8, m_line);
    }
    if (m_lineHigh) {
        ++m_highLines;
        m_notUtf8Lines += m_lineNotUtf8 ? 1 : 0;
    }
    m_lineHigh = false;
    m_lineNotUtf8 = false;
}

void CsvEncodingScan::gbkByte(unsigned char b) {
    Reading& r = m_gbk;
    if (r.pendingSize == 0) {
        if (b < 0x80)
            return;
        if (b == 0x80 || b == 0xFF)
            return misfit(r, m_line);
        r.pending[r.pendingSize++] = b;
        return;
    }
    r.pendingSize = 0;
    const unsigned char lead = r.pending[0];
    if (!platform::isGbkCharacter(lead, b))
        return misfit(r, m_line);
    ++r.wide;
    // GB2312 (A1A1 to F7FE) holds the characters of everyday text; GBK's extensions around it
    // hold rare ones.
    if (lead < 0xA1 || lead > 0xF7 || b < 0xA1)
        ++r.rare;
}

bool CsvEncodingScan::gbkLooksChinese() const {
    return m_gbk.rare * 4 <= m_gbk.wide;
}

void CsvEncodingScan::feed(std::string_view block) {
    if (m_head.size() < kUtf8Mark.size())
        m_head.append(block.substr(0, kUtf8Mark.size() - m_head.size()));
    for (char c : block) {
        const auto b = static_cast<unsigned char>(c);
        m_lineHigh = m_lineHigh || b >= 0x80;
        if (!m_lineNotUtf8 && !utf8Byte(b)) {
            m_lineNotUtf8 = true;
            m_utf8.pendingSize = 0;
            misfit(m_utf8, m_line);
        }
        if (m_gbk.fits)
            gbkByte(b);
        // Lines as the parser counts them: CR, LF and CRLF each end one.
        if (b == '\r' || (b == '\n' && !m_afterCr)) {
            endLine();
            ++m_line;
        }
        m_afterCr = b == '\r';
    }
}

Result<CsvEncodingChoice> CsvEncodingScan::finish() {
    // A character cut off by the end of the file does not fit.
    endLine();
    if (m_gbk.fits && m_gbk.pendingSize != 0)
        misfit(m_gbk, m_line);
    const bool highBytes = m_highLines > 0;

    const std::string_view head = m_head;
    if (head.starts_with(kUtf16LeMark) || head.starts_with(kUtf16BeMark))
        return Result<CsvEncodingChoice>::failure(
            "the file is UTF-16 text; save it as UTF-8 or GBK (in Excel: \"CSV UTF-8\")");
    const bool utf8Mark = head.starts_with(kUtf8Mark);

    auto notFitting = [](const Reading& r, CsvEncoding encoding, const std::string& why) {
        return Result<CsvEncodingChoice>::failure(lineText(r.badLine) + " is not " +
                                                  toString(encoding) + " text" + why);
    };
    switch (m_wanted) {
    case CsvEncoding::Utf8:
        if (!m_utf8.fits)
            return notFitting(m_utf8, CsvEncoding::Utf8, ", the encoding given for the file");
        return CsvEncodingChoice{CsvEncoding::Utf8, {}};
    case CsvEncoding::Gbk:
        if (utf8Mark)
            return Result<CsvEncodingChoice>::failure(
                "the file starts with the UTF-8 byte order mark, but GBK was given as its "
                "encoding");
        if (!m_gbk.fits)
            return notFitting(m_gbk, CsvEncoding::Gbk, ", the encoding given for the file");
        return CsvEncodingChoice{CsvEncoding::Gbk, {}};
    case CsvEncoding::Detect:
        break;
    }
    if (utf8Mark) {
        if (!m_utf8.fits)
            return notFitting(m_utf8, CsvEncoding::Utf8,
                              ", though the file starts with the UTF-8 byte order mark");
        return CsvEncodingChoice{CsvEncoding::Utf8, {}};
    }
    if (!highBytes || (m_utf8.fits && !m_gbk.fits))
        return CsvEncodingChoice{CsvEncoding::Utf8, {}};
    // GBK text is seldom UTF-8 on a line with non-ASCII text; UTF-8 with a few bad lines is
    // UTF-8 on most of them, though often well-formed GBK as a whole.
    if (!m_utf8.fits && m_gbk.fits && m_notUtf8Lines * 2 >= m_highLines)
        return CsvEncodingChoice{CsvEncoding::Gbk, {}};
    if (!m_utf8.fits && m_gbk.fits)
        return notFitting(m_utf8, CsvEncoding::Utf8,
                          ", though most lines are (state the encoding if the file is GBK)");
    if (!m_utf8.fits)
        return Result<CsvEncodingChoice>::failure(
            "the file is neither UTF-8 nor GBK text: " + lineText(m_utf8.badLine) +
            " is not UTF-8 and " + lineText(m_gbk.badLine) + " is not GBK");
    // Both readings fit every line. UTF-8 made of three- and four-byte characters (Chinese and
    // the like) is seldom also GBK by chance; two-byte UTF-8 characters often are, and then
    // the GBK reading gives Chinese where UTF-8 gives Latin accents or combining marks.
    if (m_utf8.narrow > 0 && gbkLooksChinese())
        return CsvEncodingChoice{
            CsvEncoding::Gbk,
            "the file reads as GBK and as UTF-8; it is read as GBK, which gives Chinese "
            "characters where UTF-8 gives accented letters or combining marks (state the "
            "encoding if that is wrong)"};
    return CsvEncodingChoice{CsvEncoding::Utf8,
                             "the file reads as UTF-8 and as GBK; it is read as UTF-8 (state the "
                             "encoding if that is wrong)"};
}

} // namespace tav::data
