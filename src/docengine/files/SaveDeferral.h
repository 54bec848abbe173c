#pragma once

#include "docengine/files/PendingSave.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace glyphmere::docengine {

// Where the saves of the documents opened for it go instead of being committed: each save writes its new
// file and adopts it as usual, but is kept here, under the document's path as it was opened, and the
// document on disk stays as it was until the caller takes the save and commits it (where and when it
// likes, on another thread too). Saves never taken are dropped with this object, their documents staying
// as they were. A document saved again before its pending save was committed is refused as changed on
// disk, since its file is not yet the one it adopted. Safe to use from several threads.
class SaveDeferral {
public:
    SaveDeferral() = default;
    SaveDeferral(const SaveDeferral&) = delete;
    SaveDeferral& operator=(const SaveDeferral&) = delete;

    void keep(const std::string& path, PendingSave save);
    // The saves kept for the document opened at path, in the order they were made; they are the caller's
    // from now on.
    std::vector<PendingSave> take(const std::string& path);

private:
    std::mutex m_mutex;
    std::map<std::string, std::vector<PendingSave>> m_saves;
};

} // namespace glyphmere::docengine
