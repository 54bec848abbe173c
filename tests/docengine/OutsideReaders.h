#pragma once

#include <string>

namespace glyphmere::docengine::package_testing {

// Checks that independent readers of zip files (unzip and Python's zipfile) take the package at path
// without a complaint. A package's bytes are the same on every system, so the POSIX test programs make the
// check and the Windows ones, which cannot start those readers, leave it to them.
void expectOutsideReadersTakePackage(const std::string& path);

} // namespace glyphmere::docengine::package_testing
