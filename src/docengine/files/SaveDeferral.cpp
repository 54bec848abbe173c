#include "docengine/files/SaveDeferral.h"

#include <utility>

namespace glyphmere::docengine {

void SaveDeferral::keep(const std::string& path, PendingSave save)
{
    const std::lock_guard lock(m_mutex);
    m_saves[path].push_back(std::move(save));
}

std::vector<PendingSave> SaveDeferral::take(const std::string& path)
{
    std::vector<PendingSave> taken;
    const std::lock_guard lock(m_mutex);
    if (const auto found = m_saves.find(path); found != m_saves.end()) {
        taken = std::move(found->second);
        m_saves.erase(found);
    }
    return taken;
}

} // namespace glyphmere::docengine
