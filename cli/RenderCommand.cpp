#include "cli/RenderCommand.h"
#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/LoadedTemplate.h"
#include "cli/OutputPath.h"
#include "dotgauge.h"
#include "platform/File.h"
#include "platform/PageCanvas.h"
#include "printengine/PageRenderer.h"

#include <algorithm>
#include <iostream>

namespace tav::cli {
namespace {

bool endsWith(std::string text, const std::string& suffix) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

int runRender(const std::vector<std::string>& args) {
    CommandLine line({}, {"-o", "--output", "--dpi"}, {"--set"});
    Status parsed = line.parse(args);
    const Result<int> dpiGiven =
        parsed ? line.intValue("--dpi", 1, 4800, 300) : Result<int>(std::move(parsed));
    if (!dpiGiven) {
        std::cerr << "tavprint render: " << dpiGiven.error() << "\n";
        return kExitUsage;
    }
    const int dpi = dpiGiven.value();
    const auto output = line.value("-o") ? line.value("-o") : line.value("--output");
    if (line.positionals().size() != 1 || !output || (line.value("-o") && line.value("--output"))) {
        std::cerr << "tavprint render: usage: tavprint render FILE -o OUT.pdf|OUT.png [--dpi N] "
                     "[--set MARK=VALUE]...\n";
        return kExitUsage;
    }
    const std::string& file = line.positionals().front();
    if (auto problem = outputPathProblem(*output, {".pdf", ".png"}, {file}); !problem.empty()) {
        std::cerr << "tavprint render: " << problem << "\n";
        return kExitUsage;
    }
    const bool pdf = endsWith(*output, ".pdf");

    tpl::Template tpl;
    if (int code = loadTemplateWithMarks("render", file, line.values("--set"), tpl);
        code != kExitOk)
        return code;

    const auto& page = tpl.page;
    auto canvas = pdf ? platform::createPdfCanvas(page.paperWidth, page.paperHeight, dpi)
                      : platform::createImageCanvas(page.paperWidth, page.paperHeight, dpi);
    if (!canvas) {
        std::cerr << "tavprint render: a page of " << page.paperWidth << " x " << page.paperHeight
                  << " tenths of a millimetre cannot be drawn at " << dpi << " dpi\n";
        return kExitFailed;
    }
    const auto rendered =
        engine::renderTemplate(tpl, *canvas, {.deviceDpiY = dpi, .screenDpi = GetDPI()});
    if (!rendered) {
        std::cerr << "tavprint render: " << file << ": " << rendered.error() << "\n";
        return kExitFailed;
    }
    const auto bytes = canvas->finish();
    if (bytes.empty()) {
        std::cerr << "tavprint render: the page could not be drawn\n";
        return kExitFailed;
    }
    if (auto saved = platform::writeFileAtomically(*output, bytes); !saved) {
        std::cerr << "tavprint render: " << saved.error() << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace tav::cli
