#include "HostileCases.h"

#include "docengine/EngineMessages.h"
#include "support/TestDocuments.h"
#include "support/win32/WindowsFiles.h"

namespace glyphmere::docengine::hostile {

using namespace glyphmere::testing_support;

// Windows has no file size limit to stand in for a full disk; a read-only file is one whose attribute says so.
std::vector<HostileCase> systemHostileCases()
{
    return {
        {"read-only file",
         [](const std::string& path) {
             writePackage(path, minimalDocx(kBody));
             SetFileAttributesW(wideExtended(path).c_str(), FILE_ATTRIBUTE_READONLY);
         },
         messages::kReadOnly},
    };
}

} // namespace glyphmere::docengine::hostile
