#pragma once

// A stand-in for Microsoft Word's automation server, for the Windows tests under Wine: an in-process COM
// server that answers the members Glyphmere calls, opens and saves documents by their wide path, stands
// in the running-object table while it lives and writes every call to a log.
//
// The test drives it through the process environment, which the server reads at each call:
//   GLYPHMERE_STANDIN_LOG   the file that every call is appended to, one UTF-8 line each, in the form
//                           of the recording automation fake's transcript ("put Selection.Font.name =
//                           \"Arial\"", "call Quit(0)", "create Word.Application")
//   GLYPHMERE_STANDIN_FAIL  a call (its line without arguments: "call Documents.Open") that fails with
//                           the description "Word refused: <call>"
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

inline constexpr const wchar_t* kLogVariable = L"GLYPHMERE_STANDIN_LOG";
inline constexpr const wchar_t* kFailVariable = L"GLYPHMERE_STANDIN_FAIL";

} // namespace glyphmere::standin
