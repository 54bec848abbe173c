#include "OleFileReader.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace glyphmere::docengine::binary_testing {

namespace {

// Prints one line per stream: its path, a tab, and its bytes in hex.
constexpr const char* kScript = R"(
import sys, olefile
ole = olefile.OleFileIO(sys.argv[1])
for path in ole.listdir(streams=True, storages=False):
    data = ole.openstream(path).read()
    sys.stdout.buffer.write(('/'.join(path) + '\t' + data.hex() + '\n').encode('utf-8'))
)";

std::string writeTemporaryFile(const std::string& bytes)
{
    char path[] = "/tmp/glyphmere-olefile-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        throw std::runtime_error("cannot create a temporary file");
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (!written)
        throw std::runtime_error("cannot write the temporary file");
    return path;
}

std::string runScript(const std::string& filePath)
{
    const std::string command = "/usr/bin/python3 -c \"$GLYPHMERE_OLEFILE_SCRIPT\" '" + filePath + "' 2>&1";
    ::setenv("GLYPHMERE_OLEFILE_SCRIPT", kScript, 1);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run /usr/bin/python3");
    std::string output;
    char buffer[65536];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, count);
    if (::pclose(pipe) != 0)
        throw std::runtime_error("olefile failed: " + output);
    return output;
}

int nibble(char digit) { return digit <= '9' ? digit - '0' : digit - 'a' + 10; }

std::string fromHex(std::string_view hex)
{
    std::string bytes(hex.size() / 2, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]));
    return bytes;
}

// Every stream of the compound file as python3-olefile reads it. Throws std::runtime_error when the reader
// cannot run or refuses the file.
std::map<std::string, std::string> readWithOlefile(const std::string& fileBytes)
{
    const std::string path = writeTemporaryFile(fileBytes);
    std::string output;
    try {
        output = runScript(path);
    } catch (...) {
        ::unlink(path.c_str());
        throw;
    }
    ::unlink(path.c_str());
    std::map<std::string, std::string> streams;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = output.find('\n', at);
        const std::string_view line = std::string_view(output).substr(at, end - at);
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            throw std::runtime_error("olefile printed: " + std::string(line));
        streams[std::string(line.substr(0, tab))] = fromHex(line.substr(tab + 1));
        at = end == std::string::npos ? output.size() : end + 1;
    }
    return streams;
}

} // namespace

void expectOutsideReaderReads(const std::string& fileBytes, const std::map<std::string, std::string>& expected)
{
    EXPECT_EQ(readWithOlefile(fileBytes), expected);
}

} // namespace glyphmere::docengine::binary_testing
