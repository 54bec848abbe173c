#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace glyphmere::batch::os {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// A file handle closed when its owner goes; empty for INVALID_HANDLE_VALUE.
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

inline OwnedHandle ownHandle(HANDLE handle) { return OwnedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle); }

// The reason for the thread's last failed call, in the system's own words.
std::string lastErrorText();

} // namespace glyphmere::batch::os
