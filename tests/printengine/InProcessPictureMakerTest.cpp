#include "printengine/InProcessPictureMaker.h"

#include <gtest/gtest.h>

namespace tav::engine {
namespace {

// tavprint's batches make their pictures in process; they must be the very bytes the engine
// gets through the barcode and QR libraries and their scratch files.
TEST(InProcessPictureMaker, MakesTheBytesTheLibrariesMake) {
    InProcessPictureMaker inProcess;
    auto& libraries = libraryPictureMaker();
    const std::string texts[] = {"SF1234567890",
                                 "ABC",
                                 "",
                                 "12345",
                                 "\xC6\xBB\xB9\xFB 5kg",
                                 "https://example.com/track/SF1234567890"};
    for (const auto& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(inProcess.barcode(text), libraries.barcode(text));
        for (std::int32_t size : {256, 120, 37})
            EXPECT_EQ(inProcess.qrCode(text, size), libraries.qrCode(text, size)) << size;
    }
    EXPECT_TRUE(inProcess.qrCode("", 256).empty()); // an empty message makes no symbol
    EXPECT_FALSE(inProcess.pictureFile("/no/such/picture.png").has_value());
}

} // namespace
} // namespace tav::engine
