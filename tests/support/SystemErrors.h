#pragma once

namespace glyphmere::testing_support {

// The system's codes for the failures that tests inject into file operations, as SystemError takes them:
// errno values on POSIX, Win32 error codes on Windows (posix/ or win32/).
int inputOutputErrorCode();
int diskFullErrorCode();

// Leaves code behind as the error of the last failed system call (errno, or the thread's last error), as a
// failing FileOperations call must.
void setLastSystemError(int code);

} // namespace glyphmere::testing_support
