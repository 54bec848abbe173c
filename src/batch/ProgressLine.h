#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace glyphmere::batch {

// The progress text: "37/200 done, 2 failed, 12.5 documents/s, 0:13 left". The rate and the time left
// appear once something is done.
std::string progressText(std::size_t done, std::size_t total, std::size_t failed, double elapsedSeconds);

// One progress line on a terminal, redrawn in place (at most ten times a second); cleared before any
// other line is printed so the two never mix.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::ostream& terminal, std::size_t total);

    void documentEnded(bool failed);
    // Removes the line (before another line is printed, and at the end).
    void clear();
    // Draws the line again now.
    void redraw();

private:
    std::ostream& m_terminal;
    std::size_t m_total;
    std::size_t m_done = 0;
    std::size_t m_failed = 0;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastDrawn;
    bool m_shown = false;
};

} // namespace glyphmere::batch
