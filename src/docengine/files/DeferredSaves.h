#pragma once

#include "docengine/files/PendingSave.h"

#include <vector>

namespace glyphmere::docengine {

// While an object of this class lives, every save that the engine makes on the thread that created it
// writes its new file and adopts it as usual, but leaves the commit (flush, rename, folder flush) to the
// caller: the save's PendingSave is kept here, and the document on disk stays as it was until it is
// committed. The caller takes them and commits them where and when it likes, on another thread too;
// those never taken are dropped when this goes, their documents staying as they were. Scopes nest: the
// innermost one keeps the saves. A document saved again before its pending save was committed is
// refused as changed on disk, since its file is not yet the one it adopted.
class DeferredSaves {
public:
    DeferredSaves();
    ~DeferredSaves();
    DeferredSaves(const DeferredSaves&) = delete;
    DeferredSaves& operator=(const DeferredSaves&) = delete;

    // The saves kept so far, in the order they were made; they are the caller's from now on.
    std::vector<PendingSave> take();

    // The innermost scope of the calling thread, or null when its saves commit at once.
    static DeferredSaves* current();
    void keep(PendingSave save);

private:
    DeferredSaves* m_outer;
    std::vector<PendingSave> m_saves;
};

} // namespace glyphmere::docengine
