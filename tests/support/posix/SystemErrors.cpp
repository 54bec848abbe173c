#include "support/SystemErrors.h"

#include <cerrno>

namespace glyphmere::testing_support {

int inputOutputErrorCode() { return EIO; }
int diskFullErrorCode() { return ENOSPC; }
void setLastSystemError(int code) { errno = code; }

} // namespace glyphmere::testing_support
