#include "cli/BarcodeCommand.h"

#include "barcode/BarcodeMaker.h"
#include "cli/ExitCodes.h"
#include "platform/Charset.h"

#include <iostream>
#include <optional>

namespace tav::cli {

int runBarcode(const std::vector<std::string>& args) {
    std::optional<std::string> text;
    std::optional<std::string> output;
    bool rotate = false;
    bool optionsEnded = false; // after "--" every argument is text, so a text may begin with "-"
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && !arg.empty() && arg[0] == '-';
        if (isOption && arg == "--") {
            optionsEnded = true;
        } else if (isOption && arg == "--rotate") {
            rotate = true;
        } else if (isOption && (arg == "-o" || arg == "--output")) {
            if (i + 1 == args.size()) {
                std::cerr << "tavprint barcode: " << arg << " needs a file name\n";
                return kExitUsage;
            }
            if (output) {
                std::cerr << "tavprint barcode: only one output file may be given\n";
                return kExitUsage;
            }
            output = args[++i];
        } else if (isOption) {
            std::cerr << "tavprint barcode: unknown option " << arg << "\n";
            return kExitUsage;
        } else if (text) {
            std::cerr << "tavprint barcode: only one text may be given (quote a text with "
                         "spaces)\n";
            return kExitUsage;
        } else {
            text = arg;
        }
    }
    if (!text || !output) {
        std::cerr << "tavprint barcode: usage: tavprint barcode TEXT -o FILE.bmp [--rotate]\n";
        return kExitUsage;
    }

    const auto gbk = platform::utf8ToGbk(*text);
    if (!gbk) {
        std::cerr << "tavprint barcode: the text is not UTF-8 or holds a character that GBK "
                     "cannot represent\n";
        return kExitFailed;
    }
    if (const Status written = barcode::writeBarcodeFile(*gbk, rotate ? 1 : 0, *output); !written) {
        std::cerr << "tavprint barcode: " << written.error() << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace tav::cli
