#pragma once

#include <oaidl.h>

#include <memory>
#include <optional>
#include <string>

namespace glyphmere::standin {

struct StoryFont {
    std::string name;
    std::string size;
};

// The document a stand-in instance has open: the bytes read at opening and the font each story was given.
struct OpenDocument {
    std::string bytes;
    StoryFont stories[3]; // main text, current page header, current page footer
};

// What one instance knows; every object of the instance shares it.
struct Instance {
    DWORD runningCookie = 0;
    bool ended = false;
    int viewType = 1; // wdNormalView, as a new Word window shows a document
    int seekView = 0; // wdSeekMainDocument
    std::optional<OpenDocument> document;
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
