#include "StandInDocuments.h"

#include "StandInFaults.h"
#include "StandInSupport.h"
#include "StandInWord.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <optional>

namespace glyphmere::standin {
namespace {

constexpr int kPrintView = 3;
constexpr int kDocxFormat = 12; // wdFormatXMLDocument, what Word saves in when given no format

// Word's own save formats for the extensions it opens as they are.
int formatForExtension(const std::wstring& path)
{
    std::wstring extension = path.substr(path.find_last_of(L'.') + 1);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(std::towlower(c));
    const std::pair<const wchar_t*, int> formats[] = {{L"doc", 0},   {L"dot", 1},   {L"docx", 12},
                                                      {L"docm", 13}, {L"dotx", 14}, {L"dotm", 15}};
    for (const auto& [name, format] : formats) {
        if (extension == name)
            return format;
    }
    return kDocxFormat;
}

// The argument at a position as Word lists them (0 is the first); null when the caller left it out.
const VARIANT* argument(const DISPPARAMS& parameters, UINT position)
{
    if (position >= parameters.cArgs)
        return nullptr;
    const VARIANT& value = parameters.rgvarg[parameters.cArgs - 1 - position];
    const bool missing = V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND;
    return missing ? nullptr : &value;
}

bool isFalse(const VARIANT* value) { return value && V_VT(value) == VT_BOOL && V_BOOL(value) == VARIANT_FALSE; }

std::wstring pathArgument(const DISPPARAMS& parameters)
{
    const VARIANT* first = argument(parameters, 0);
    return first && V_VT(first) == VT_BSTR ? std::wstring(V_BSTR(first), SysStringLen(V_BSTR(first))) : std::wstring();
}

std::optional<double> numberOf(const VARIANT& value)
{
    VARIANT converted;
    VariantInit(&converted);
    // The call only reads its source; the headers declare it without const.
    if (FAILED(VariantChangeTypeEx(&converted, const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, VT_R8)))
        return std::nullopt;
    return V_R8(&converted);
}

HRESULT giveNumber(VARIANT* result, int number)
{
    if (result) {
        V_VT(result) = VT_I4;
        V_I4(result) = number;
    }
    return S_OK;
}

std::string storyLabel(int story) { return story == 1 ? "header" : story == 2 ? "footer" : "main"; }

// What the stand-in writes: the bytes it opened and one line per story that was given a font.
std::string savedBytes(const OpenDocument& document, int format)
{
    std::string saved = document.bytes;
    for (int story = 0; story < 3; ++story) {
        const StoryFont& font = document.stories[story];
        if (!font.name.empty() || !font.size.empty())
            saved += "\n[" + storyLabel(story) + "] " + font.name + " " + font.size;
    }
    if (format != document.saveFormat)
        saved += "\n[converted to format " + std::to_string(format) + "]";
    return saved;
}

HRESULT writeDocument(const std::wstring& path, const std::string& bytes, EXCEPINFO* exception)
{
    if (replaceFile(path, bytes))
        return S_OK;
    const DWORD error = GetLastError();
    return wordError(exception, "Word could not save the document: " + systemText(error), HRESULT_FROM_WIN32(error));
}

HRESULT putFont(OpenDocument& document, bool isName, const VARIANT& value, EXCEPINFO* exception)
{
    const auto number = numberOf(value);
    const bool numeric = V_VT(&value) == VT_R8 || V_VT(&value) == VT_I4;
    if (!isName && !numeric && !lenientArguments())
        return wordError(exception, "The stand-in refuses a font size that is not a number.", DISP_E_TYPEMISMATCH);
    if (!isName && (!number || *number < 1 || *number > 1638))
        return wordError(exception, "The number must be between 1 and 1638.");
    if (isName && V_VT(&value) != VT_BSTR)
        return DISP_E_TYPEMISMATCH;
    const int story = document.seekView == 9 ? 1 : document.seekView == 10 ? 2 : 0;
    StoryFont& font = document.stories[story];
    if (isName) {
        font.name = utf8(std::wstring_view(V_BSTR(&value), SysStringLen(V_BSTR(&value))));
    } else {
        char size[32];
        std::snprintf(size, sizeof size, "%g", *number);
        font.size = size;
    }
    return S_OK;
}

} // namespace

HRESULT applicationValue(Instance& instance, const std::string& key, VARIANT* result)
{
    if (key == "documents.count") {
        int open = 0;
        for (const OpenDocument& document : instance.documents)
            open += document.open ? 1 : 0;
        return giveNumber(result, open);
    }
    if (key != "backgroundsavingstatus")
        return DISP_E_MEMBERNOTFOUND;
    BackgroundSave* save = instance.pendingSave.get();
    if (save && save->readsLeft > 0) {
        --save->readsLeft;
        return giveNumber(result, 1);
    }
    if (save) {
        replaceFile(save->path, save->bytes);
        instance.pendingSave.reset();
    }
    return giveNumber(result, 0);
}

HRESULT putApplicationValue(const std::string& key, const VARIANT& value)
{
    const auto number = numberOf(value);
    if (key == "displayalerts" || key == "visible")
        return number ? S_OK : DISP_E_TYPEMISMATCH;
    if (key == "automationsecurity")
        return number && *number >= 1 && *number <= 3 ? S_OK : DISP_E_OVERFLOW;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT documentValue(const OpenDocument& document, const std::string& key, VARIANT* result)
{
    if (key == "readonly") {
        if (result) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = document.readOnly ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return S_OK;
    }
    if (key == "saveformat")
        return giveNumber(result, document.saveFormat);
    if (key == "activewindow.activepane.view.type")
        return giveNumber(result, document.viewType);
    if (key == "activewindow.activepane.view.seekview")
        return giveNumber(result, document.seekView);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT putDocumentValue(OpenDocument& document, const std::string& key, const VARIANT& value, EXCEPINFO* exception)
{
    const auto number = numberOf(value);
    if (key == "activewindow.activepane.view.type") {
        if (!number)
            return DISP_E_TYPEMISMATCH;
        document.viewType = static_cast<int>(*number);
        return S_OK;
    }
    if (key == "activewindow.activepane.view.seekview") {
        // As in Word, headers and footers can be reached in the print layout only.
        if (document.viewType != kPrintView)
            return wordError(exception, "This view is not valid.");
        document.seekView = number ? static_cast<int>(*number) : -1;
        return (document.seekView == 0 || document.seekView == 9 || document.seekView == 10)
                   ? S_OK
                   : wordError(exception, "The requested member of the collection does not exist.");
    }
    if (key == "activewindow.selection.font.name" || key == "activewindow.selection.font.size")
        return putFont(document, key == "activewindow.selection.font.name", value, exception);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT openDocument(Instance& instance, const DISPPARAMS& parameters, EXCEPINFO* exception)
{
    const std::wstring path = pathArgument(parameters);
    if (path.empty())
        return DISP_E_TYPEMISMATCH;
    if (!lenientArguments() && !(isFalse(argument(parameters, 1)) && isFalse(argument(parameters, 3))))
        return wordError(exception, "The stand-in refuses an Open without ConfirmConversions False and "
                                    "AddToRecentFiles False.");
    const std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        const DWORD error = GetLastError();
        return wordError(exception, "Word could not open the document: " + systemText(error),
                         HRESULT_FROM_WIN32(error));
    }
    OpenDocument document;
    document.path = path;
    document.bytes = *bytes;
    document.readOnly = switchValue(kReadOnlySwitch) == "1";
    const std::string format = switchValue(kSaveFormatSwitch);
    document.saveFormat = format.empty() ? formatForExtension(path) : std::atoi(format.c_str());
    instance.documents.push_back(std::move(document));
    instance.ours = instance.active = static_cast<int>(instance.documents.size()) - 1;
    return S_OK;
}

void openForeignDocument(Instance& instance, const std::wstring& path)
{
    OpenDocument document;
    document.path = path;
    document.bytes = readWholeFile(path).value_or("");
    document.foreign = true;
    instance.documents.push_back(std::move(document));
    instance.active = static_cast<int>(instance.documents.size()) - 1;
}

HRESULT saveDocument(Instance& instance, OpenDocument& document, const DISPPARAMS& parameters, bool isSaveAs2,
                     EXCEPINFO* exception)
{
    const std::wstring path = pathArgument(parameters);
    const VARIANT* format = argument(parameters, 1);
    if (path.empty())
        return DISP_E_TYPEMISMATCH;
    if ((!format || V_VT(format) != VT_I4) && !lenientArguments())
        return wordError(exception, "The stand-in refuses a save without a file format.");
    if (isSaveAs2 && !isFalse(argument(parameters, 4)) && !lenientArguments())
        return wordError(exception, "The stand-in refuses a save that adds to the recent files.");
    if (document.readOnly)
        return wordError(exception, "This file is read-only.", HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    const std::string bytes = savedBytes(document, format ? V_I4(format) : kDocxFormat);
    const int backgroundReads = std::atoi(switchValue(kBackgroundSaveSwitch).c_str());
    if (backgroundReads <= 0)
        return writeDocument(path, bytes, exception);
    instance.pendingSave = std::make_unique<BackgroundSave>(BackgroundSave{path, bytes, backgroundReads});
    return S_OK;
}

HRESULT closeDocument(Instance& instance, OpenDocument& document, const DISPPARAMS& parameters)
{
    const VARIANT* saveChanges = argument(parameters, 0);
    if (!saveChanges || V_VT(saveChanges) != VT_I4)
        return DISP_E_TYPEMISMATCH;
    // A save still running in the background is lost with the document, as the file was never written.
    instance.pendingSave.reset();
    document.open = false;
    instance.active = -1;
    for (std::size_t i = 0; i < instance.documents.size(); ++i) {
        if (instance.documents[i].open)
            instance.active = static_cast<int>(i);
    }
    return S_OK;
}

} // namespace glyphmere::standin
