#include "batch/ProgressLine.h"

#include <cmath>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace glyphmere::batch {
namespace {

constexpr std::chrono::milliseconds kRedrawInterval{100};
constexpr const char* kEraseLine = "\r\033[K";

std::string clockTime(double seconds)
{
    const auto whole = static_cast<long long>(std::ceil(seconds));
    std::ostringstream text;
    if (whole >= 3600)
        text << whole / 3600 << ':' << std::setw(2) << std::setfill('0') << whole / 60 % 60;
    else
        text << whole / 60;
    text << ':' << std::setw(2) << std::setfill('0') << whole % 60;
    return text.str();
}

} // namespace

std::string progressText(std::size_t done, std::size_t total, std::size_t failed, double elapsedSeconds)
{
    std::ostringstream text;
    text << done << '/' << total << " done, " << failed << " failed";
    if (done > 0 && elapsedSeconds > 0) {
        const double rate = static_cast<double>(done) / elapsedSeconds;
        text << ", " << std::fixed << std::setprecision(1) << rate << " documents/s, "
             << clockTime(static_cast<double>(total - done) / rate) << " left";
    }
    return text.str();
}

ProgressLine::ProgressLine(std::ostream& terminal, std::size_t total) : m_terminal(terminal), m_total(total) {}

void ProgressLine::documentEnded(bool failed)
{
    ++m_done;
    m_failed += failed ? 1 : 0;
    if (m_done == m_total || Clock::now() - m_lastDrawn >= kRedrawInterval)
        redraw();
}

void ProgressLine::clear()
{
    if (m_shown)
        m_terminal << kEraseLine << std::flush;
    m_shown = false;
}

void ProgressLine::redraw()
{
    const std::chrono::duration<double> elapsed = Clock::now() - m_start;
    m_terminal << kEraseLine << progressText(m_done, m_total, m_failed, elapsed.count()) << std::flush;
    m_lastDrawn = Clock::now();
    m_shown = true;
}

} // namespace glyphmere::batch
