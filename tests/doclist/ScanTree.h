#pragma once

// One folder tree that the folder-scan tests build on Linux (POSIX service) and on Windows (Win32
// service, under Wine), with the rows that the scan must give on both. Plain C++: the Windows test
// program is built without GoogleTest.
//
// A name beginning with "." is hidden on both (on Windows the test also sets the hidden attribute);
// the system attribute exists on Windows only, where a system file is listed all the same. Siblings
// begin with different ASCII characters, so both listings' orders agree.

#include <string>
#include <vector>

namespace glyphmere::doclist::scan_tree {

struct Entry {
    std::string path; // relative, "/" between the names
    bool folder = false;
    bool system = false;
};

inline const std::string kExtension = "docx";

inline const std::string kDeepFolder =
    "g-\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 \xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9" // Папка 文件夹
    "/h1-\xC3\xA9t\xC3\xA9 aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
    "/h2-\xC3\xA9t\xC3\xA9 bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"
    "/h3-\xC3\xA9t\xC3\xA9 cccccccccccccccccccccccccccccccccccccccccccccccc"
    "/h4-\xC3\xA9t\xC3\xA9 dddddddddddddddddddddddddddddddddddddddddddddddd"
    "/h5-\xC3\xA9t\xC3\xA9 eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee";

// Folders come before what they hold.
inline const std::vector<Entry> kEntries = {
    {"a-\xC3\x9C"
     "berpr\xC3\xBC"
     "fung caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAF"
     "ve.docx"},
    {"b-\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE6\x9B\xB8.docx"},
    {"c-\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.docx"},
    {"d-Bericht \xF0\x9F\x93\x84.docx"},
    {"e-notes.txt"},
    {"f-system.docx", false, true},
    {".versteckt.docx"},
    {"~$c-\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.docx"},
    {".verborgen", true},
    {".verborgen/z-unseen.docx"},
    {"i-\xC3\x84rger", true},
    {"i-\xC3\x84rger/\xCE\xA9-omega.docx"},
    {"g-\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 \xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9", true},
    {"g-\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 "
     "\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9/x-\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.docx"},
};

// The folders of kDeepFolder, one level after another, and the file at its bottom.
inline std::vector<Entry> allEntries()
{
    std::vector<Entry> entries = kEntries;
    for (std::size_t slash = kDeepFolder.find('/'); slash != std::string::npos;
         slash = kDeepFolder.find('/', slash + 1))
        entries.push_back({kDeepFolder.substr(0, kDeepFolder.find('/', slash + 1)), true});
    entries.push_back({kDeepFolder + "/y-\xE6\x97\xA5\xE6\x9C\xAC.docx"});
    return entries;
}

// The rows of a scan for kExtension, relative to the scanned folder: breadth-first, folder by folder.
inline const std::vector<std::string> kRows = {
    ".versteckt.docx", kEntries[0].path,  kEntries[1].path,
    kEntries[2].path,  kEntries[3].path,  "f-system.docx",
    kEntries[13].path, kEntries[11].path, kDeepFolder + "/y-\xE6\x97\xA5\xE6\x9C\xAC.docx",
};

} // namespace glyphmere::doclist::scan_tree
