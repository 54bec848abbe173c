#include "StandInFaults.h"

#include "StandInDocuments.h"
#include "StandInSupport.h"
#include "StandInWord.h"

#include <windows.h>

#include <cstdlib>

namespace glyphmere::standin {
namespace {

// A dialog nobody answers stays up for this long at most, so the test's process never outlives a CI run.
constexpr ULONGLONG kLongestDialogMilliseconds = 10 * 60 * 1000;

ULONGLONG g_busyUntil = 0;
bool g_dialogShown = false;

bool switchedOn(const char* name) { return switchValue(name) == "1"; }

// Waits as a modal dialog does: messages are handled (so incoming calls arrive and are turned away as
// busy), but the call that opened it does not return.
void showInvisibleDialog()
{
    g_dialogShown = true;
    const ULONGLONG until = GetTickCount64() + kLongestDialogMilliseconds;
    while (GetTickCount64() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                g_dialogShown = false;
                return;
            }
            DispatchMessageW(&message);
        }
    }
    g_dialogShown = false;
}

bool runsUnderWine()
{
    HMODULE system = GetModuleHandleW(L"ntdll.dll");
    return system && GetProcAddress(system, "wine_get_version");
}

} // namespace

HRESULT enterCall(Instance& instance, const std::string& line, EXCEPINFO* exception)
{
    if (switchValue(kForeignAtSwitch) == line)
        openForeignDocument(instance, utf16(switchValue(kForeignSwitch)));
    if (switchValue(kBusyAtSwitch) == line)
        g_busyUntil = GetTickCount64() + std::strtoull(switchValue(kBusyForSwitch).c_str(), nullptr, 10);
    if (showDialogIfChosen(line))
        return wordError(exception, "The dialog was closed.");
    if (failureChosen(line))
        return wordError(exception, "Word refused: " + line);
    return S_OK;
}

bool showDialogIfChosen(const std::string& line)
{
    if (switchValue(kDialogAtSwitch) != line)
        return false;
    showInvisibleDialog();
    return true;
}

bool lenientArguments() { return switchedOn(kLenientSwitch); }

bool quitChosen() { return !switchedOn(kIgnoreQuitSwitch); }

bool isBusy() { return g_dialogShown || GetTickCount64() < g_busyUntil; }

// Wine's COM neither retries nor passes on "retry later" (it runs the call instead), so there the
// stand-in rejects the call outright, which reaches the client as the same refusal once Windows' COM
// stops retrying.
DWORD busyAnswer() { return runsUnderWine() ? SERVERCALL_REJECTED : SERVERCALL_RETRYLATER; }

} // namespace glyphmere::standin
