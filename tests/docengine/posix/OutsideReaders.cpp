#include "OutsideReaders.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace glyphmere::docengine::package_testing {

namespace {

bool runs(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

} // namespace

void expectOutsideReadersTakePackage(const std::string& path)
{
    EXPECT_TRUE(runs("unzip -tq '" + path + "'")) << "unzip (scripts/install-deps.sh --tests) refused the package";
    EXPECT_TRUE(runs("/usr/bin/python3 -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() "
                     "is not None)' '" +
                     path + "'"));
}

} // namespace glyphmere::docengine::package_testing
