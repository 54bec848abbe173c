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
//   dialogat   a call that never returns, as one held by a dialog nobody can see ("create Word.Application"
//              for the start itself); meanwhile every other call is turned away as busy
//   busyat     a call from which on the stand-in turns calls away as busy, for busyfor milliseconds
//   foreignat  a call before which the document at the path foreign (the user's) opens in the instance
//              and becomes its active document
//   readonly   1: documents open read-only
//   saveformat the save format (Word's number) documents report after opening; without it, Word's own
//              format for the file's extension
//   backgroundsave  a save finishes in the background, after this many reads of BackgroundSavingStatus
//              that give 1; closing the document before then loses it
//   ignorequit 1: Quit returns but the instance goes on running
//   lenient    1: the argument checks below are off, so older callers meet the other faults
//
// It is as strict as Word is known to be, and stricter where a careless call would cost the user: it
// refuses an Open without ConfirmConversions False and AddToRecentFiles False, a SaveAs or SaveAs2
// without a file format (and SaveAs2 without AddToRecentFiles False), a font size that is not a number,
// and the application's ActiveDocument, Selection and ActiveWindow while a document of the user's is
// active.
//
// What it saves: the bytes it opened, followed by one line per story that was given a font
// ("\n[main] Arial 12", then "[header]" and "[footer]"), and "\n[converted to format N]" when saved in
// another format than the document reported, written to a new file beside the document and moved over it.

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
inline constexpr const char* kDialogAtSwitch = "dialogat";
inline constexpr const char* kBusyAtSwitch = "busyat";
inline constexpr const char* kBusyForSwitch = "busyfor";
inline constexpr const char* kForeignAtSwitch = "foreignat";
inline constexpr const char* kForeignSwitch = "foreign";
inline constexpr const char* kReadOnlySwitch = "readonly";
inline constexpr const char* kSaveFormatSwitch = "saveformat";
inline constexpr const char* kBackgroundSaveSwitch = "backgroundsave";
inline constexpr const char* kIgnoreQuitSwitch = "ignorequit";
inline constexpr const char* kLenientSwitch = "lenient";

} // namespace glyphmere::standin
