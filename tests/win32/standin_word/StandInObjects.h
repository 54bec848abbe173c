#pragma once

#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

namespace glyphmere::standin {

struct StoryFont {
    std::string name;
    std::string size;
};

// A document open in a stand-in instance: the bytes read at opening and the font each story was given.
struct OpenDocument {
    std::wstring path;
    std::string bytes;
    bool open = true;
    bool foreign = false; // opened by the "user", not through Documents.Open
    bool readOnly = false;
    int saveFormat = 12;  // wdFormatXMLDocument
    int viewType = 1;     // wdNormalView, as a new Word window shows a document
    int seekView = 0;     // wdSeekMainDocument
    StoryFont stories[3]; // main text, current page header, current page footer
};

// A save that Word finishes in the background: written once the status has been read enough times.
struct BackgroundSave {
    std::wstring path;
    std::string bytes;
    int readsLeft = 0;
};

// What one instance knows; every object of the instance shares it.
struct Instance {
    DWORD runningCookie = 0;
    bool ended = false;
    std::vector<OpenDocument> documents;
    int active = -1; // the document Word's ActiveDocument, Selection and ActiveWindow stand for
    int ours = -1;   // the document Documents.Open returned
    std::unique_ptr<BackgroundSave> pendingSave;
};

// A new application object of a new instance, with one reference for the caller, entered in the
// running-object table until it quits.
HRESULT createApplication(IDispatch** application);

// Ends the server's message loop once the current call has been answered.
void endProcessSoon();
// Whether incoming calls are turned away now, and the answer that turns them away.
bool isBusy();
DWORD busyAnswer();

} // namespace glyphmere::standin
