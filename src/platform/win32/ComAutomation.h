#pragma once

#include "platform/Automation.h"

#include <chrono>
#include <memory>
#include <vector>

// Declared here so that users of this header need not include the Windows headers.
struct IDispatch;
struct tagVARIANT;

namespace glyphmere::platform::win32 {

class ServerProcess;

// Starting an instance (a first start of Office may take long, dialogs included).
inline constexpr std::chrono::milliseconds kStartDeadline = std::chrono::seconds(120);
// Opening, saving and closing a document, quitting, and waiting for a save in the background: a large
// document on a slow share takes a while.
inline constexpr std::chrono::milliseconds kDocumentDeadline = std::chrono::minutes(5);
// Any other call.
inline constexpr std::chrono::milliseconds kCallDeadline = std::chrono::seconds(60);
// Finding a running instance and asking it: one that is busy this long counts as running.
inline constexpr std::chrono::milliseconds kProbeDeadline = std::chrono::seconds(5);

// How long each kind of call may take before the instance is given up.
struct CallDeadlines {
    std::chrono::milliseconds start = kStartDeadline;
    std::chrono::milliseconds document = kDocumentDeadline;
    std::chrono::milliseconds call = kCallDeadline;
    std::chrono::milliseconds probe = kProbeDeadline;
};

// The automation service over COM: creates registered classes by their ProgID ("Word.Application") and
// attaches to running ones through the running-object table. Its objects belong to the thread that made
// them, which must be the window's thread.
//
// No call waits for ever: each has a deadline (CallDeadlines). When one passes, the call is cancelled,
// an instance that this service started is ended (its process, found as the one new process of the
// class's registered server program), every further call on the instance fails at once, and the call
// fails with an AutomationTimeout that says so. A process this service started belongs to a job object
// that ends it when this program ends, however it ends, unless its application was made visible (the
// user was given it).
class ComAutomation final : public Automation {
public:
    // Initialises COM on the calling thread (apartment-threaded) unless it already is.
    explicit ComAutomation(CallDeadlines deadlines = {});
    ComAutomation(const ComAutomation&) = delete;
    ComAutomation& operator=(const ComAutomation&) = delete;
    // Ends the processes it started that still run and were not handed to the user.
    ~ComAutomation() override;

    ObjectRef create(std::string_view className) override;
    ObjectRef attach(std::string_view className) override;

private:
    CallDeadlines m_deadlines;
    std::vector<std::shared_ptr<ServerProcess>> m_started;
};

// An object over an IDispatch that the caller holds; the object adds a reference of its own and releases
// it when the last ObjectRef goes. A null pointer gives a null ObjectRef. Its calls wait as long as
// CallDeadlines{}.call allows.
ObjectRef wrapDispatch(IDispatch* dispatch);

// Fills an uninitialised VARIANT, which the caller clears: text as a BSTR, Int32 as VT_I4, Bool as
// VT_BOOL, Double as VT_R8, an object of this service as VT_DISPATCH, a missing argument as VT_ERROR
// with DISP_E_PARAMNOTFOUND.
void toComVariant(const Variant& value, tagVARIANT& out);
// Reads a VARIANT back; other numeric types become Int32 or Double, a date becomes its text. Throws
// AutomationError for a value that has no counterpart (an array, an error code).
Variant fromComVariant(const tagVARIANT& value);

} // namespace glyphmere::platform::win32
