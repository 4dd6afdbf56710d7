// tavprint: the command-line tool over the label engine.
#include "cli/BarcodeCommand.h"
#include "cli/BatchCommand.h"
#include "cli/CalibrateCommand.h"
#include "cli/ExitCodes.h"
#include "cli/InfoCommand.h"
#include "cli/PrintCommand.h"
#include "cli/RenderCommand.h"
#include "platform/Interruption.h"

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
                         A FILE ending in .lab (a label of the older designer) is
                         shown as the designer would import it: the page size it
                         takes and the elements it would add.
  barcode TEXT -o FILE [--rotate]
                         Write TEXT (UTF-8, converted to GBK) as a Code 128 barcode to
                         the BMP file FILE, as GetBarcode does; --rotate turns it 90
                         degrees clockwise. Put "--" before a TEXT that begins with "-".
  render FILE -o OUT.pdf|OUT.png [--dpi N] [--set MARK=VALUE]...
                         Draw the template, marks filled, as the printer would: a PDF
                         page of the paper's size for a printer of N dpi, or a PNG
                         picture at N dpi on white paper. N defaults to 300.
  print FILE [--printer NAME] [--copies N] [--job-name NAME] [--set MARK=VALUE]...
                         Print the template, marks filled, as one CUPS job on NAME, or
                         on the template's printer, or on the default printer. The page
                         is rendered completely first: nothing is sent when it fails.
                         The job name defaults to the file's name.
  printers               List the CUPS printers; the default one is marked with "*",
                         each with its calibration; then the printer mapping of
                         printers.conf and TAV_PRINTER.
  calibrate QUEUE [--paper WxH]
                         Print a calibration page on QUEUE (W x H mm, default 100x70):
                         millimetre rulers from the origin and a 50 mm square 10 mm
                         right of and below it, without the stored offset.
  calibrate QUEUE --offset X,Y
                         Store the offset measured on that page (0.1 mm, x right, y
                         down) for QUEUE in $XDG_CONFIG_HOME/tav/printers.conf; every
                         print to QUEUE is then moved by it.
  batch FILE SOURCE [--rows 1,3,5-9] [--printer NAME] [--delay-ms N]
        [--output OUT.pdf [--dpi N]] [--set MARK=VALUE]... [--replace-unprintable]
        [--encoding utf-8|gbk]
                         Print one label per data row: each column's value fills the
                         mark named by the column's title. SOURCE is one of
                           --csv FILE.csv      (UTF-8 or GBK, a header row of titles)
                           --xls FILE.xls      (the first sheet; row 1 holds the titles)
                           --mysql "SERVER=host;PORT=3306;UID=user;DATABASE=db"
                                   --sql QUERY [--config sqldata.conf]
                           --odbc "DRIVER=...;SERVER=...;UID=...;DATABASE=..."
                                  --sql QUERY [--config sqldata.conf]
                                                (SQL Server through FreeTDS, ...)
                         The database password is taken, in this order, from
                         the environment variable TAV_DB_PASSWORD; from sqldata.conf
                         (--config FILE, default $XDG_CONFIG_HOME/tav/sqldata.conf),
                         where the designer saves it, when the file's server and user
                         are those of the connection; or asked on the terminal
                         (not shown) when stdin is one. PWD=... in the connection
                         string still works, with a warning: every user of the
                         computer can read it in the process list.
                         Each row is one CUPS job named TAVPrint_<row>, with a pause
                         of N ms between jobs (default 200); --rows picks rows by
                         their position, which they keep. With --output all labels
                         become the pages of one PDF file instead; it must end in
                         .pdf and may replace only a regular file that is neither
                         FILE nor the data file (render -o likewise). A database batch
                         to a printer reads the whole result before the first label.
                         Columns whose titles fill no mark are named first; when none
                         fills a mark nothing is printed. Rows that fail are reported
                         with their number and the batch goes on; the exit code is 1
                         when any row failed. A cell with a character GBK cannot hold
                         (an emoji) fails its row, unless --replace-unprintable prints
                         '?' for it. A full disk or a lost scheduler stops the batch at
                         once (exit code 1, or 3 when the scheduler is gone).
                         A CSV file is read whole once before the first row to
                         decide its encoding: --encoding names it; without it a
                         UTF-8 byte order mark decides, else the encoding that fits
                         every line (GBK when both fit and GBK gives Chinese where
                         UTF-8 gives accented letters; stderr says so). When none
                         fits, nothing is printed and the line is named. A field
                         may hold at most 1 MiB.

A --set whose mark no element contains, or whose picture file cannot be read, stops
render and print (exit code 1): a label is never printed with data you did not mean.

A printer name (a template's, or --printer) is looked for as a queue of that name, then
with the characters CUPS refuses in queue names made "_", then as a queue's description,
then in the "[printers]" mapping ("NAME = QUEUE") of $XDG_CONFIG_HOME/tav/printers.conf
and /etc/tav/printers.conf; TAV_PRINTER=QUEUE overrides them all. When none is found the
default printer prints, and print and batch say so on stderr. Positions are measured from
the top-left corner of the printer's printable area, moved by the queue's calibration.

Options:
  -h, --help             Show this help and exit.
  --version              Show the version and exit.

Exit codes:
  0  success
  1  the work failed (the template cannot be read, a mark cannot be set, an element
     cannot be drawn, the spooler refused the job); the reason is on stderr
  2  the command line is wrong
  3  no CUPS scheduler can be reached
  4  the printer is unknown, or none is named and there is no default printer
  128+N  stopped by signal N (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP): an unfinished
     output file is removed and a job not yet wholly sent is withdrawn
)";

int runCommand(const std::string& command, const std::vector<std::string>& args) {
    if (command == "info")
        return tav::cli::runInfo(args);
    if (command == "barcode")
        return tav::cli::runBarcode(args);
    if (command == "render")
        return tav::cli::runRender(args);
    if (command == "print")
        return tav::cli::runPrint(args);
    if (command == "printers")
        return tav::cli::runPrinters(args);
    if (command == "calibrate")
        return tav::cli::runCalibrate(args);
    if (command == "batch")
        return tav::cli::runBatch(args);
    std::cerr << "tavprint: unknown command '" << command << "' (see tavprint --help)\n";
    return tav::cli::kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return tav::cli::kExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    // Help anywhere among the options, but not after "--", where a text may be "-h" itself.
    const auto optionsEnd = std::find(args.begin(), args.end(), std::string("--"));
    const bool helpAsked = std::find_if(args.begin(), optionsEnd, [](const std::string& a) {
                               return a == "-h" || a == "--help";
                           }) != optionsEnd;
    try {
        if (command == "-h" || command == "--help" || command == "help" || helpAsked) {
            std::cout << kUsage;
            return tav::cli::kExitOk;
        }
        if (command == "--version") {
            std::cout << "tavprint " TAV_VERSION "\n";
            return tav::cli::kExitOk;
        }
        // Ctrl-C, SIGTERM and SIGHUP stop a command where it can stop cleanly.
        tav::platform::InterruptionGuard guard;
        const int code = runCommand(command, args);
        if (const int signal = tav::platform::interruptionSignal(); signal != 0) {
            std::cerr << "tavprint: stopped by signal " << signal << "\n";
            return 128 + signal;
        }
        return code;
    } catch (const std::exception& e) {
        std::cerr << "tavprint: " << e.what() << "\n";
        return tav::cli::kExitFailed;
    }
}
