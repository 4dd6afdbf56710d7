// Running the PDF tools of poppler from tests, and reading their reports.
#pragma once

#include "support/Command.h"

#include <cstdio>
#include <string>

namespace tav::platform {

// Runs a command and returns what it printed.
inline std::string run(const std::string& command) {
    return tav::test::runCommand(command).output;
}

// The value of one "Name:   value" line of pdfinfo's report.
inline std::string pdfinfoField(const std::string& info, const std::string& name) {
    std::size_t at = info.find("\n" + name + ":");
    if (at == std::string::npos) {
        return {};
    }
    at = info.find_first_not_of(' ', at + name.size() + 2);
    return info.substr(at, info.find('\n', at) - at);
}

} // namespace tav::platform
