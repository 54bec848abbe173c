#pragma once

#include "StandInObjects.h"

#include <oaidl.h>

#include <string>

namespace glyphmere::standin {

// The faults the test switches on (StandInWord.h), shown when the call they name arrives: a document of
// the user's opening, a busy spell starting, an invisible dialog, or the call failing. line is the call's
// transcript line without arguments ("call Documents.Open"). Gives the failure Invoke returns, or S_OK.
HRESULT enterCall(Instance& instance, const std::string& line, EXCEPINFO* exception);

// Shows the invisible dialog when the test chose it for this call; true once it has been closed.
bool showDialogIfChosen(const std::string& line);

// Whether the test switched the argument checks off (to drive older callers through the other faults).
bool lenientArguments();
// Whether Quit ends the instance; the test may make it ignored, as by a prompt nobody answers.
bool quitChosen();

} // namespace glyphmere::standin
