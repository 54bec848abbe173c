// The floor for the restyle benchmark: each package on the command line is opened, its main part and
// first header and footer are inflated and written back deflated through the same safe save as a
// restyle, with no XML work at all. What a restyle costs beyond this is the engine's own work.

#include "docengine/ooxml/Package.h"

#include <exception>
#include <iostream>
#include <map>
#include <string>

int main(int argc, char* argv[])
{
    const char* const changedParts[] = {"word/document.xml", "word/header1.xml", "word/footer1.xml"};
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            const auto package = glyphmere::docengine::Package::open(argv[i]);
            std::map<std::string, std::string> replaced;
            for (const char* part : changedParts) {
                if (package->hasEntry(part))
                    replaced[part] = package->read(part);
            }
            package->saveReplacing(replaced);
        } catch (const std::exception& error) {
            std::cerr << argv[i] << ": " << error.what() << '\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
