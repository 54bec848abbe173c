#pragma once

namespace glyphmere::platform::win32 {

// Initialises COM on the calling thread once (apartment-threaded, as a window's thread must be) and
// installs the message filter below; both stay until the thread ends. Throws AutomationError when COM
// cannot be initialised.
//
// The filter: an automation server that is busy (Word while it starts, or while it shows something)
// rejects calls with "retry later". Such a call is retried every quarter second for up to a minute
// instead of failing at once, as automation clients have long done.
void ensureComInitialised();

} // namespace glyphmere::platform::win32
