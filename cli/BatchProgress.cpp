#include "cli/BatchProgress.h"

#include "platform/Terminal.h"

#include <iostream>

namespace tav::cli {

BatchProgress::BatchProgress() : m_terminal(platform::stderrIsTerminal()) {}

void BatchProgress::rowDone(std::size_t position, bool printed) {
    m_position = position;
    ++(printed ? m_printed : m_failed);
    draw(false);
}

void BatchProgress::rowFailed(std::size_t position, const std::string& why) {
    clearLine();
    std::cerr << "tavprint batch: row " << position << ": " << why << "\n";
    rowDone(position, false);
}

void BatchProgress::warning(const std::string& text) {
    clearLine();
    std::cerr << "tavprint batch: warning: " << text << "\n";
}

void BatchProgress::finish() {
    if (m_lineShown)
        draw(true);
    if (m_lineShown)
        std::cerr << "\n";
    m_lineShown = false;
}

void BatchProgress::draw(bool force) {
    if (!m_terminal)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(100))
        return;
    m_lastDraw = now;
    std::cerr << "\r\033[Krow " << m_position << ": " << m_printed << " printed, " << m_failed
              << " failed" << std::flush;
    m_lineShown = true;
}

void BatchProgress::clearLine() {
    if (m_lineShown)
        std::cerr << "\r\033[K";
    m_lineShown = false;
    m_lastDraw = {};
}

} // namespace tav::cli
