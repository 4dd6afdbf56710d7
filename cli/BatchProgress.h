// The progress line of a batch on stderr ("row 120: 118 printed, 2 failed"), redrawn at most a
// few times a second and only when stderr is a terminal; messages about single rows are written
// above it.
#pragma once

#include "printengine/BatchRun.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace tav::cli {

class BatchProgress final : public engine::BatchObserver {
public:
    BatchProgress();
    void rowPrinted(std::size_t position) override { rowDone(position, true); }
    void rowFailed(std::size_t position, const std::string& why) override;
    void warning(const std::string& text) override;
    void finish();

private:
    void rowDone(std::size_t position, bool printed);
    void draw(bool force);
    void clearLine();

    bool m_terminal;
    std::size_t m_position = 0;
    std::size_t m_printed = 0;
    std::size_t m_failed = 0;
    std::chrono::steady_clock::time_point m_lastDraw{};
    bool m_lineShown = false;
};

} // namespace tav::cli
