#include "platform/win32/WinSpooler.h"

#include "platform/SystemSpooler.h"
#include "platform/win32/GdiCanvas.h"
#include "platform/win32/WideText.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <optional>
#include <vector>

namespace tav::platform::win32 {
namespace {

using JobResult = Result<std::unique_ptr<JobPage>, SpoolStatus>;

// Printer names and job titles are UTF-8 here; a name that is not cannot name any printer.
std::wstring wideOf(std::string_view utf8) {
    return utf8ToWide(utf8).value_or(std::wstring());
}

std::wstring defaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0)
        return {};
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size))
        return {};
    name.resize(wcsnlen(name.c_str(), name.size()));
    return name;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    // Windows does not tell case apart in printer names.
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

struct Listed {
    std::wstring name;
    std::wstring comment;
};

bool enumeratePrinters(std::vector<Listed>& printers) {
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersW(flags, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0) {
        printers.clear();
        return GetLastError() == ERROR_SUCCESS || GetLastError() == ERROR_INSUFFICIENT_BUFFER ||
               GetLastError() == ERROR_INVALID_NAME;
    }
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(flags, nullptr, 2, buffer.data(), needed, &needed, &count))
        return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    printers.clear();
    for (DWORD i = 0; i < count; ++i)
        printers.push_back({info[i].pPrinterName ? info[i].pPrinterName : L"",
                            info[i].pComment ? info[i].pComment : L""});
    return true;
}

class PrinterHandle {
public:
    explicit PrinterHandle(const std::wstring& name) {
        if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &m_handle, nullptr))
            m_handle = nullptr;
    }
    ~PrinterHandle() {
        if (m_handle)
            ClosePrinter(m_handle);
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

// A paper the printer lists: its number and its size upright, tenths of a millimetre.
struct Paper {
    short id = 0;
    std::int32_t width = 0;
    std::int32_t length = 0;
};

std::vector<Paper> listedPapers(const std::wstring& printer) {
    const int count = DeviceCapabilitiesW(printer.c_str(), nullptr, DC_PAPERS, nullptr, nullptr);
    if (count <= 0)
        return {};
    std::vector<WORD> ids(static_cast<std::size_t>(count));
    std::vector<POINT> sizes(static_cast<std::size_t>(count));
    if (DeviceCapabilitiesW(printer.c_str(), nullptr, DC_PAPERS,
                            reinterpret_cast<LPWSTR>(ids.data()), nullptr) != count ||
        DeviceCapabilitiesW(printer.c_str(), nullptr, DC_PAPERSIZE,
                            reinterpret_cast<LPWSTR>(sizes.data()), nullptr) != count)
        return {};
    std::vector<Paper> papers;
    for (std::size_t i = 0; i < ids.size(); ++i)
        papers.push_back({static_cast<short>(ids[i]), sizes[i].x, sizes[i].y});
    return papers;
}

bool sameSize(std::int32_t a, std::int32_t b) {
    return std::abs(a - b) <= 10; // a millimetre
}

// The printer's device mode for a page of paperWidth x paperHeight tenths of a millimetre, portrait
// when the page is taller than wide, else landscape on the same paper turned (device modes
// describe paper upright). The paper is one the printer lists in that size; else paper of exactly
// that size (a custom size: dmPaperSize 0 with width and length); else, when the driver does not
// take the custom size, the smallest of its papers that holds the page, so that a driver does not
// fall back to a paper of its own choosing. Empty when the printer is unknown.
std::vector<BYTE> jobDeviceMode(const std::wstring& printer, std::int32_t paperWidth,
                                std::int32_t paperHeight, int copies) {
    PrinterHandle handle(printer);
    if (!handle.get())
        return {};
    auto* name = const_cast<wchar_t*>(printer.c_str());
    const LONG size = DocumentPropertiesW(nullptr, handle.get(), name, nullptr, nullptr, 0);
    if (size < static_cast<LONG>(sizeof(DEVMODEW)) / 2)
        return {};
    std::vector<BYTE> buffer(
        std::max<std::size_t>(static_cast<std::size_t>(size), sizeof(DEVMODEW)));
    auto* mode = reinterpret_cast<DEVMODEW*>(buffer.data());
    if (DocumentPropertiesW(nullptr, handle.get(), name, mode, nullptr, DM_OUT_BUFFER) != IDOK)
        return {};
    // The driver merges the fields it takes and corrects what it cannot do.
    auto merge = [&] {
        return DocumentPropertiesW(nullptr, handle.get(), name, mode, mode,
                                   DM_IN_BUFFER | DM_OUT_BUFFER) == IDOK;
    };
    if (copies > 0) {
        mode->dmFields |= DM_COPIES;
        mode->dmCopies = static_cast<short>(std::min(copies, 32767));
    }
    if (paperWidth <= 0 || paperHeight <= 0)
        return merge() ? buffer : std::vector<BYTE>();

    const bool landscape = paperWidth > paperHeight;
    const std::int32_t across = std::min(landscape ? paperHeight : paperWidth, 32767);
    const std::int32_t along = std::min(landscape ? paperWidth : paperHeight, 32767);
    mode->dmFields |= DM_ORIENTATION;
    mode->dmOrientation = landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    auto choose = [&](const Paper& paper) {
        mode->dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
        mode->dmPaperSize = paper.id;
        mode->dmPaperWidth = static_cast<short>(paper.width);
        mode->dmPaperLength = static_cast<short>(paper.length);
    };
    const std::vector<Paper> papers = listedPapers(printer);
    for (const Paper& paper : papers) {
        if (sameSize(paper.width, across) && sameSize(paper.length, along)) {
            choose(paper);
            return merge() ? buffer : std::vector<BYTE>();
        }
    }
    mode->dmFields = (mode->dmFields & ~DWORD{DM_PAPERSIZE}) | DM_PAPERWIDTH | DM_PAPERLENGTH;
    mode->dmPaperSize = 0;
    mode->dmPaperWidth = static_cast<short>(across);
    mode->dmPaperLength = static_cast<short>(along);
    if (!merge())
        return {};
    if (sameSize(mode->dmPaperWidth, across) && sameSize(mode->dmPaperLength, along))
        return buffer;
    const Paper* smallest = nullptr;
    for (const Paper& paper : papers)
        if (paper.width >= across && paper.length >= along &&
            (!smallest || std::int64_t{paper.width} * paper.length <
                              std::int64_t{smallest->width} * smallest->length))
            smallest = &paper;
    if (smallest) {
        choose(*smallest);
        mode->dmOrientation = landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        if (!merge())
            return {};
    }
    return buffer;
}

struct DeviceFacts {
    int dpiX = 0;
    int dpiY = 0;
    int offsetX = 0; // the printable area's corner on the paper, device pixels
    int offsetY = 0;
    int paperWidth = 0; // device pixels
    int paperHeight = 0;
    int printableWidth = 0;
    int printableHeight = 0;
};

DeviceFacts factsOf(HDC dc) {
    return {GetDeviceCaps(dc, LOGPIXELSX),      GetDeviceCaps(dc, LOGPIXELSY),
            GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY),
            GetDeviceCaps(dc, PHYSICALWIDTH),   GetDeviceCaps(dc, PHYSICALHEIGHT),
            GetDeviceCaps(dc, HORZRES),         GetDeviceCaps(dc, VERTRES)};
}

// A job on a printer's device context: begun with StartDoc and StartPage, finished with EndPage
// and EndDoc, abandoned with AbortDoc, so that the spooler prints it only when it is complete.
class GdiJobPage final : public JobPage {
public:
    GdiJobPage(HDC dc, const DeviceFacts& facts)
        : m_dc(dc), m_page(std::make_unique<GdiCanvas>(dc, facts.dpiX, facts.dpiY, facts.offsetX,
                                                       facts.offsetY)),
          m_canvas(*m_page) {}
    ~GdiJobPage() override {
        m_page.reset(); // gives the device context its own objects back
        if (!m_done)
            AbortDoc(m_dc);
        DeleteDC(m_dc);
    }

    void setPen(const Pen& pen) override { m_canvas.setPen(pen); }
    void setBrush(const Brush& brush) override { m_canvas.setBrush(brush); }
    void setFont(const Font& font) override { m_canvas.setFont(font); }
    void setTextColor(ColorRef color) override { m_canvas.setTextColor(color); }
    void drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        m_canvas.drawLine(x1, y1, x2, y2);
    }
    void drawRoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       std::int32_t cornerWidth, std::int32_t cornerHeight) override {
        m_canvas.drawRoundRect(left, top, right, bottom, cornerWidth, cornerHeight);
    }
    void drawEllipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                     bool filled) override {
        m_canvas.drawEllipse(left, top, right, bottom, filled);
    }
    TextExtent measureText(std::string_view text) override { return m_canvas.measureText(text); }
    void drawText(std::int32_t x, std::int32_t y, std::string_view text) override {
        m_canvas.drawText(x, y, text);
    }
    void drawImage(const DecodedImage& image, std::int32_t left, std::int32_t top,
                   std::int32_t right, std::int32_t bottom) override {
        m_canvas.drawImage(image, left, top, right, bottom);
    }
    bool canDrawImage(const DecodedImage& image) const override {
        return m_canvas.canDrawImage(image);
    }

    SpoolOutcome commit() override {
        if (m_done)
            return SpoolOutcome::failure(SpoolStatus::Refused, "the job was already finished");
        if (!m_canvas.intact())
            return SpoolOutcome::failure(SpoolStatus::PageFailed,
                                         "the printer's driver failed to draw the page");
        if (EndPage(m_dc) <= 0)
            return SpoolOutcome::failure(SpoolStatus::Refused, "the page could not be ended");
        m_done = EndDoc(m_dc) > 0;
        if (!m_done)
            return SpoolOutcome::failure(SpoolStatus::Refused, "the spooler did not take the job");
        return SpoolOutcome::success();
    }

private:
    HDC m_dc;
    std::unique_ptr<GdiCanvas> m_page;
    GdiCanvas& m_canvas;
    bool m_done = false;
};

} // namespace

SpoolStatus WinSpooler::listPrinters(std::vector<PrinterInfo>& printers) {
    std::vector<Listed> listed;
    if (!enumeratePrinters(listed))
        return SpoolStatus::NoScheduler;
    const std::wstring standard = defaultPrinter();
    printers.clear();
    for (const Listed& p : listed)
        printers.push_back({wideToUtf8(p.name), !standard.empty() && sameName(p.name, standard),
                            wideToUtf8(p.comment)});
    return SpoolStatus::Ok;
}

SpoolStatus WinSpooler::resolvePrinter(const std::string& name, std::string& queue) {
    std::vector<Listed> listed;
    if (!enumeratePrinters(listed))
        return SpoolStatus::NoScheduler;
    const std::wstring wanted = name.empty() ? defaultPrinter() : wideOf(name);
    if (wanted.empty())
        return SpoolStatus::NoDefaultPrinter;
    for (const Listed& p : listed) {
        if (sameName(p.name, wanted)) {
            queue = wideToUtf8(p.name);
            return SpoolStatus::Ok;
        }
    }
    return name.empty() ? SpoolStatus::NoDefaultPrinter : SpoolStatus::UnknownPrinter;
}

std::optional<int> WinSpooler::resolutionDpi(const std::string& queue) {
    return describeQueue(queue, 0, 0).dpi;
}

QueueGeometry WinSpooler::describeQueue(const std::string& queue, double widthMm, double heightMm) {
    const std::wstring name = wideOf(queue);
    const std::vector<BYTE> mode =
        jobDeviceMode(name, static_cast<std::int32_t>(std::lround(widthMm * 10)),
                      static_cast<std::int32_t>(std::lround(heightMm * 10)), 0);
    // An information context answers GetDeviceCaps without starting anything at the printer.
    HDC ic = CreateICW(L"WINSPOOL", name.c_str(), nullptr,
                       mode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(mode.data()));
    if (ic == nullptr)
        return {};
    const DeviceFacts facts = factsOf(ic);
    DeleteDC(ic);
    QueueGeometry geometry;
    if (facts.dpiY > 0)
        geometry.dpi = facts.dpiY;
    if (facts.dpiX > 0 && facts.dpiY > 0 && facts.paperWidth > 0 && widthMm > 0 && heightMm > 0) {
        // Device pixels to hundredths of a millimetre.
        auto across = [&](int pixels) {
            return static_cast<int>(std::lround(pixels * 2540.0 / facts.dpiX));
        };
        auto down = [&](int pixels) {
            return static_cast<int>(std::lround(pixels * 2540.0 / facts.dpiY));
        };
        geometry.margins = PaperMargins{
            across(facts.offsetX), down(facts.offsetY),
            across(std::max(facts.paperWidth - facts.printableWidth - facts.offsetX, 0)),
            down(std::max(facts.paperHeight - facts.printableHeight - facts.offsetY, 0))};
    }
    return geometry;
}

JobResult WinSpooler::beginJob(const JobSetup& setup) {
    const std::wstring name = wideOf(setup.printer);
    std::vector<Listed> listed;
    if (!enumeratePrinters(listed))
        return JobResult::failure(SpoolStatus::NoScheduler, "the printers cannot be listed");
    if (name.empty() || std::none_of(listed.begin(), listed.end(),
                                     [&](const Listed& p) { return sameName(p.name, name); }))
        return JobResult::failure(SpoolStatus::UnknownPrinter,
                                  "there is no printer \"" + setup.printer + "\"");
    if (setup.paperWidth <= 0 || setup.paperHeight <= 0 || setup.copies <= 0)
        return JobResult::failure(SpoolStatus::Refused, "the job has no paper size or no copies");
    const std::vector<BYTE> mode =
        jobDeviceMode(name, setup.paperWidth, setup.paperHeight, setup.copies);
    if (mode.empty())
        return JobResult::failure(SpoolStatus::UnknownPrinter,
                                  "the printer \"" + setup.printer + "\" cannot be opened");
    HDC dc = CreateDCW(L"WINSPOOL", name.c_str(), nullptr,
                       reinterpret_cast<const DEVMODEW*>(mode.data()));
    if (dc == nullptr)
        return JobResult::failure(SpoolStatus::Refused,
                                  "the printer \"" + setup.printer + "\" cannot be drawn on");
    const std::wstring title = wideOf(setup.title);
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = title.c_str();
    if (StartDocW(dc, &document) <= 0) {
        DeleteDC(dc);
        return JobResult::failure(SpoolStatus::Refused, "the spooler did not start the job");
    }
    if (StartPage(dc) <= 0) {
        AbortDoc(dc);
        DeleteDC(dc);
        return JobResult::failure(SpoolStatus::Refused, "the printer did not start the page");
    }
    DeviceFacts facts = factsOf(dc);
    if (facts.dpiX <= 0 || facts.dpiY <= 0)
        facts.dpiX = facts.dpiY = setup.dpi > 0 ? setup.dpi : 300;
    return std::unique_ptr<JobPage>(std::make_unique<GdiJobPage>(dc, facts));
}

} // namespace tav::platform::win32

namespace tav::platform {

std::unique_ptr<Spooler> createSystemSpooler() {
    return std::make_unique<win32::WinSpooler>();
}

} // namespace tav::platform
