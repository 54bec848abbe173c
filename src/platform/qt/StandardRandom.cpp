#include "platform/qt/StandardRandom.h"

#include <QTime>

namespace glyphmere::platform::qt {

void StandardRandom::seedFromTimeOfDay()
{
    // Milliseconds rather than whole seconds, so two starts within one second draw differently.
    m_engine.seed(static_cast<std::mt19937::result_type>(QTime::currentTime().msecsSinceStartOfDay()));
}

double StandardRandom::next() { return m_uniform(m_engine); }

} // namespace glyphmere::platform::qt
