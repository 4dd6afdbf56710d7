// Size conversion, screen resolution and device handles, through the C exports.
#include "dotgauge.h"

#include "dotgauge/SizeConversion.h"
#include "platform/Device.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace tav::dotgauge {
namespace {

// Sets TAV_SCREEN_DPI for one test and restores it afterwards.
class ScreenDpiVariable {
public:
    explicit ScreenDpiVariable(const char* value) {
        if (const char* old = std::getenv(kName))
            m_old = old;
        if (value)
            ::setenv(kName, value, 1);
        else
            ::unsetenv(kName);
    }
    ~ScreenDpiVariable() {
        if (m_old)
            ::setenv(kName, m_old->c_str(), 1);
        else
            ::unsetenv(kName);
    }
    ScreenDpiVariable(const ScreenDpiVariable&) = delete;
    ScreenDpiVariable& operator=(const ScreenDpiVariable&) = delete;

private:
    static constexpr const char* kName = "TAV_SCREEN_DPI";
    std::optional<std::string> m_old;
};

TEST(GetPrintSize, RoundsToHundredthsOfAMillimetreThenTruncates) {
    struct Row {
        int row;
        int size, resolution, divisor;
        int expected;
    };
    const std::vector<Row> rows = {
        // 1-3: one short of the exact ratio (12 at 96 / 96), exact (72 at 600 / 600), a third
        // (10 at 96 / 300); 4-8: size 0, a negative size, sizes at equal resolution and divisor.
        {1, 12, 96, 96, 11},
        {2, 72, 600, 600, 72},
        {3, 10, 96, 300, 3},
        {4, 0, 96, 96, 0},
        {5, 0, 300, -7, 0},
        {6, -12, 96, 96, 11}, // a negative size counts by its magnitude
        {7, 9, 96, 96, 8},
        {8, 100, 300, 300, 100},
        // 9-10: a negative resolution counts by its magnitude.
        {9, 12, -96, 96, 11},
        {10, 100, -300, 300, 100},
        // 11-12: a negative divisor gives a negative size (the rounding goes up, toward 0).
        {11, 12, 96, -96, -11},
        {12, 72, 600, -600, -72},
        // 13-15: the scaling the print engine does: font points, screen dpi, print scale.
        {13, 9, 96, 100, 8},
        {14, 24, 96, 50, 46},
        {15, 36, 96, 1, 3456},
        // 16-17: a divisor of 0 gives 0 (the size cannot be computed).
        {16, 12, 96, 0, kNoSize},
        {17, 0, 0, 0, kNoSize},
        // 18-20: results beyond int are held at its limits rather than converted blindly.
        {18, INT_MAX, INT_MAX, 1, INT_MAX},
        {19, INT_MIN, INT_MIN, 1, INT_MAX},
        {20, INT_MAX, INT_MAX, -1, INT_MIN},
        // 21: the largest size at 1 / 1 still fits (and falls one short, like most sizes).
        {21, INT_MAX, 1, 1, INT_MAX - 1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(GetPrintSize(r.size, r.resolution, r.divisor), r.expected) << "row " << r.row;
}

TEST(GetXMM, ConvertsScreenPixelsToWholeMillimetres) {
    struct Row {
        int row;
        int pixels, dpi;
        int expected;
    };
    const std::vector<Row> rows = {
        // 1-4: a 96-dpi screen: an inch (25.3999..., truncated), more, one pixel, negative.
        {1, 96, 96, 25},
        {2, 100, 96, 26},
        {3, 1, 96, 0},
        {4, -10, 96, -2},
        // 5-7: other resolutions, a negative one included.
        {5, 600, 600, 25},
        {6, 1000, 300, 84},
        {7, 96, -96, -25},
        // 8-9: a resolution of 0 gives 0.
        {8, 96, 0, kNoSize},
        {9, 0, 0, kNoSize},
        // 10-11: results beyond int are held at its limits.
        {10, INT_MAX, 1, INT_MAX},
        {11, INT_MIN, 1, INT_MIN},
    };
    for (const Row& r : rows)
        EXPECT_EQ(pixelsToMillimetres(r.pixels, r.dpi), r.expected) << "row " << r.row;
}

TEST(ScreenResolution, IsNinetySixUnlessTheEnvironmentSaysOtherwise) {
    struct Row {
        int row;
        const char* variable; // null: not set
        int dpi;
    };
    const std::vector<Row> rows = {
        {1, nullptr, 96},
        {2, "120", 120},
        {3, "1", 1},
        {4, "2147483647", INT_MAX},
        {5, "", 96},
        {6, "0", 96},
        {7, "-120", 96},
        {8, "+120", 96},
        {9, "12x", 96},
        {10, " 120", 96},
        {11, "2147483648", 96},
        {12, "1.5", 96},
    };
    for (const Row& r : rows) {
        ScreenDpiVariable variable(r.variable);
        EXPECT_EQ(GetDPI(), r.dpi) << "row " << r.row;
    }
    ScreenDpiVariable variable("300");
    EXPECT_EQ(GetXMM(300), 25);
    EXPECT_EQ(GetYMM(600), 50);
    EXPECT_EQ(GetXMM(-30), -2);
}

class FixedDevice : public platform::Device {
public:
    FixedDevice(int x, int y) : m_x(x), m_y(y) {}
    int dpiX() const override { return m_x; }
    int dpiY() const override { return m_y; }

private:
    int m_x, m_y;
};

TEST(PrinterResolution, ComesFromTheRegisteredDeviceAndIsZeroForAnyOtherHandle) {
    void* released = nullptr;
    {
        platform::DeviceRegistration printer(std::make_shared<FixedDevice>(600, 1200));
        platform::DeviceRegistration label(std::make_shared<FixedDevice>(203, 203));
        EXPECT_EQ(GetPrinterDPIX(printer.handle()), 600);
        EXPECT_EQ(GetPrinterDPIY(printer.handle()), 1200);
        EXPECT_EQ(GetPrinterDPIX(label.handle()), 203);
        EXPECT_NE(printer.handle(), label.handle());
        released = printer.handle();
    }
    // A released handle, the null handle and values that were never handles. The last ones
    // point at nothing readable: they must never be dereferenced.
    int local = 0;
    for (void* handle : {released, static_cast<void*>(nullptr), static_cast<void*>(&local),
                         reinterpret_cast<void*>(std::uintptr_t{0xDEADBEEF}),
                         reinterpret_cast<void*>(~std::uintptr_t{0})}) {
        EXPECT_EQ(GetPrinterDPIX(handle), 0);
        EXPECT_EQ(GetPrinterDPIY(handle), 0);
    }
    // A released handle is not given out again.
    platform::DeviceRegistration next(std::make_shared<FixedDevice>(300, 300));
    EXPECT_NE(next.handle(), released);
    EXPECT_EQ(platform::registerDevice(nullptr), nullptr);
}

} // namespace
} // namespace tav::dotgauge
