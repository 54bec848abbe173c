#include "support/SystemErrors.h"

#include <windows.h>

namespace glyphmere::testing_support {

int inputOutputErrorCode() { return ERROR_IO_DEVICE; }
int diskFullErrorCode() { return ERROR_DISK_FULL; }
void setLastSystemError(int code) { SetLastError(static_cast<DWORD>(code)); }

} // namespace glyphmere::testing_support
