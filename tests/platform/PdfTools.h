// Running the PDF tools of poppler from tests, and reading their reports.
#pragma once

#include <cstdio>
#include <string>

namespace tav::platform {

// Runs a command and returns what it printed.
inline std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
            out.append(buffer, n);
        }
        pclose(pipe);
    }
    return out;
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
