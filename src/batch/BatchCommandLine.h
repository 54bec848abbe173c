#pragma once

#include "platform/Automation.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace glyphmere::batch {

inline constexpr int kExitAllChanged = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsageError = 2;

enum class Command { Restyle, ListFonts, Help };

// The command line, read. error is empty when the arguments make sense; otherwise it says what is wrong.
struct BatchArguments {
    Command command = Command::Restyle;
    std::string fontName;
    std::string fontSize;
    bool headersAndFooters = false;
    std::vector<std::string> files;
    std::string error;
};

// Reads the arguments that follow the program's name:
//   --font NAME --size POINTS [--headers-footers] [--] FILE...   |   --list-fonts   |   --help
// Option values may also be attached with "=" (--font=Arial); after "--" every argument is a file.
BatchArguments parseArguments(const std::vector<std::string>& arguments);

// The usage text printed by --help and after a usage error.
std::string usageText();

// Runs glyphmere-batch with the arguments that follow the program's name against the automation service.
// Restyles the files in the order given, printing "changed: FILE" or "failed: FILE: REASON" for each to
// out; --list-fonts prints one font name per line. Usage errors and a font list that cannot be read go to
// err. Returns the exit status: 0 when every file was changed, 1 when any failed, 2 on a usage error.
int runCommandLine(const std::vector<std::string>& arguments, platform::Automation& automation,
                   std::ostream& out, std::ostream& err);

} // namespace glyphmere::batch
