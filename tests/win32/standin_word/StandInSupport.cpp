#include "StandInSupport.h"

#include "StandInWord.h"

#include <windows.h>

#include <cstdio>

namespace glyphmere::standin {
namespace {

LONG g_liveObjects = 0;

} // namespace

std::string utf8(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), needed, nullptr, nullptr);
    return text;
}

std::wstring utf16(std::string_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::wstring controlFilePath()
{
    wchar_t temporary[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temporary);
    return std::wstring(temporary, length) + L"glyphmere-standin-control.txt";
}

std::string switchValue(const std::string& name)
{
    const std::string text = readWholeFile(controlFilePath()).value_or("");
    const std::string prefix = name + "=";
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(start, prefix.size(), prefix) == 0)
            return text.substr(start + prefix.size(), end - start - prefix.size());
        start = end + 1;
    }
    return {};
}

void logCall(const std::string& line)
{
    const std::wstring path = utf16(switchValue(kLogSwitch));
    if (path.empty())
        return;
    HANDLE log = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(log);
}

bool failureChosen(const std::string& call) { return switchValue(kFailSwitch) == call; }

std::string transcriptText(const VARIANT& value)
{
    switch (V_VT(&value)) {
    case VT_BSTR:
        return "\"" + utf8(std::wstring_view(V_BSTR(&value), SysStringLen(V_BSTR(&value)))) + "\"";
    case VT_BOOL:
        return V_BOOL(&value) ? "True" : "False";
    case VT_I4:
        return std::to_string(V_I4(&value));
    case VT_ERROR:
        return V_ERROR(&value) == DISP_E_PARAMNOTFOUND ? "missing" : "error";
    case VT_R8: {
        char number[32];
        std::snprintf(number, sizeof number, "%g", V_R8(&value));
        return number;
    }
    case VT_EMPTY:
        return "empty";
    default:
        return "type " + std::to_string(V_VT(&value));
    }
}

HRESULT wordError(EXCEPINFO* exception, const std::string& description, HRESULT code)
{
    if (exception) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(L"Microsoft Word");
        exception->bstrDescription = SysAllocString(utf16(description).c_str());
        exception->scode = code;
    }
    return DISP_E_EXCEPTION;
}

std::string systemText(DWORD code)
{
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = buffer ? utf8(buffer) : "error " + std::to_string(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

bool replaceFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring temporary = path + L".standin~";
    HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (complete && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    SetLastError(error);
    return false;
}

void objectMade() { InterlockedIncrement(&g_liveObjects); }
void objectGone() { InterlockedDecrement(&g_liveObjects); }
long liveObjects() { return g_liveObjects; }

} // namespace glyphmere::standin
