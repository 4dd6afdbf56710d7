// tavprint: the command-line tool over the label engine.
#include "cli/BarcodeCommand.h"
#include "cli/ExitCodes.h"
#include "cli/InfoCommand.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = R"(Usage: tavprint COMMAND [ARGS...]

Commands:
  info FILE [--editor] [--set MARK=VALUE]...
                         Print the template FILE as JSON (UTF-8) on stdout.
                         Without --editor the file is read as the print engine reads
                         it: only "TAV 3.1..." files, elements outside the paper
                         dropped. With --editor it is read as the designer reads it:
                         older "TAV 2.0..." and "TAV 3.0..." files too, every element
                         kept. Picture payloads are shown by their size in bytes.
                         Each --set fills a data mark first, as SetMark does: the
                         first element whose mark contains MARK gets VALUE (barcode
                         and QR elements a new symbol, picture elements the picture
                         file VALUE names). MARK and VALUE are UTF-8.
  barcode TEXT -o FILE [--rotate]
                         Write TEXT (UTF-8, converted to GBK) as a Code 128 barcode to
                         the BMP file FILE, as GetBarcode does; --rotate turns it 90
                         degrees clockwise. Put "--" before a TEXT that begins with "-".

Options:
  -h, --help             Show this help and exit.
  --version              Show the version and exit.

Exit codes:
  0  success
  1  the work failed (for example, the template cannot be read); the reason is on stderr
  2  the command line is wrong
)";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return tav::cli::kExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    const bool helpAsked =
        std::find_if(args.begin(), args.end(), [](const std::string& a) {
            return a == "-h" || a == "--help";
        }) != args.end();
    try {
        if (command == "-h" || command == "--help" || command == "help" || helpAsked) {
            std::cout << kUsage;
            return tav::cli::kExitOk;
        }
        if (command == "--version") {
            std::cout << "tavprint " TAV_VERSION "\n";
            return tav::cli::kExitOk;
        }
        if (command == "info")
            return tav::cli::runInfo(args);
        if (command == "barcode")
            return tav::cli::runBarcode(args);
    } catch (const std::exception& e) {
        std::cerr << "tavprint: " << e.what() << "\n";
        return tav::cli::kExitFailed;
    }
    std::cerr << "tavprint: unknown command '" << command << "' (see tavprint --help)\n";
    return tav::cli::kExitUsage;
}
