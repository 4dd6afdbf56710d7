// Deciding the encoding of a CSV file, UTF-8 or GBK, from all of its bytes before any row is
// used, so that a file is never read in the wrong one.
//
// A stated encoding must fit every line. Without one, a UTF-8 byte order mark decides; else the
// reading that fits every line is taken. When both fit (short GBK text is often well-formed
// UTF-8 too: "茅台" is C3 A9 CC A8, also "é" and a combining ogonek), the reading that gives
// Chinese characters is preferred over the one that gives Latin accents, combining marks and
// the other letters of UTF-8's two-byte range, and the choice is told in a note. UTF-8 Chinese
// is often well-formed GBK too, so a file that is UTF-8 on most of its lines with non-ASCII
// text is not taken for GBK because a few lines are not: that is a damaged UTF-8 file, refused
// with the first bad line named. When no reading fits, the error names the line.
#pragma once

#include "datasource/DataSource.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tav::data {

enum class CsvEncoding { Detect, Utf8, Gbk };

// "UTF-8", "GBK" or "detected".
const char* toString(CsvEncoding encoding);

struct CsvEncodingChoice {
    CsvEncoding encoding = CsvEncoding::Utf8; // Utf8 or Gbk
    std::string note; // UTF-8; set when both readings fitted and one was preferred
};

// Looks at a file's bytes, fed block by block as they come, in constant memory.
class CsvEncodingScan {
public:
    explicit CsvEncodingScan(CsvEncoding wanted) : m_wanted(wanted) {}

    void feed(std::string_view block);
    // The encoding to read the file in, or why none fits.
    Result<CsvEncodingChoice> finish();

private:
    // One candidate reading: how far it fits and what characters it gives.
    struct Reading {
        bool fits = true;
        std::size_t badLine = 0; // the first line it does not fit, when it does not
        std::size_t narrow = 0;  // UTF-8: characters of two bytes (U+0080 to U+07FF)
        std::size_t wide = 0;    // GBK: characters of two bytes
        std::size_t rare = 0;    // GBK: those outside GB2312
        unsigned char pending[4] = {};
        std::size_t pendingSize = 0;
        std::size_t pendingLength = 0; // the length of the character being collected
    };
    bool utf8Byte(unsigned char b); // false when the byte ends the line's fit
    void gbkByte(unsigned char b);
    void endLine();
    static void misfit(Reading& reading, std::size_t line);
    bool gbkLooksChinese() const;

    CsvEncoding m_wanted;
    Reading m_utf8;
    Reading m_gbk;
    std::string m_head; // the first bytes, for byte order marks
    std::size_t m_line = 1;
    bool m_afterCr = false;
    // UTF-8 is followed on past its first misfit, line by line, to tell a damaged UTF-8 file
    // from a GBK one.
    bool m_lineHigh = false;
    bool m_lineNotUtf8 = false;
    std::size_t m_highLines = 0;    // lines holding bytes above 0x7F
    std::size_t m_notUtf8Lines = 0; // those of them that are not UTF-8
};

} // namespace tav::data
