#pragma once

// A stand-in for Microsoft Word's automation server, for the Windows tests under Wine: a local COM server
// (standin_word.exe, its own process, so every call is marshalled and the client's message filter runs)
// that answers the members Glyphmere calls, opens and saves documents by their wide path, stands in the
// running-object table while it lives and writes every call to a log.
//
// The test drives it through a control file (controlFilePath()), which the server reads at each call,
// one "name=value" line per switch:
//   log        the file that every call is appended to, one UTF-8 line each, in the form of the recording
//              automation fake's transcript ("put Selection.Font.name = \"Arial\"", "call Quit(0)")
//   fail       a call (its line without arguments: "call Documents.Open") that fails with the description
//              "Word refused: <call>"
//
// What it saves: the bytes it opened, followed by one line per story that was given a font
// ("\n[main] Arial 12", then "[header]" and "[footer]"), written to a new file beside the document
// and moved over it.

#include <windows.h>

namespace glyphmere::standin {

// The class of the stand-in; the test registers it under the ProgID "Word.Application".
// {6F1D2C3A-9B4E-4C7A-8E21-5A3B9C0D7E14}
inline constexpr CLSID kStandInWordClass = {
    0x6f1d2c3a, 0x9b4e, 0x4c7a, {0x8e, 0x21, 0x5a, 0x3b, 0x9c, 0x0d, 0x7e, 0x14}};

inline constexpr const wchar_t* kServerProgram = L"standin_word.exe";

// The switches of the control file.
inline constexpr const char* kLogSwitch = "log";
inline constexpr const char* kFailSwitch = "fail";

} // namespace glyphmere::standin
