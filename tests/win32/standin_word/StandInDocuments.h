#pragma once

#include "StandInObjects.h"

#include <oaidl.h>

#include <string>

namespace glyphmere::standin {

// The members of the application and of its documents that hold values, and the document operations.
// Each gives the result Invoke returns; a failure as Word reports one fills exception.

HRESULT applicationValue(Instance& instance, const std::string& key, VARIANT* result);
HRESULT putApplicationValue(const std::string& key, const VARIANT& value);
HRESULT documentValue(const OpenDocument& document, const std::string& key, VARIANT* result);
HRESULT putDocumentValue(OpenDocument& document, const std::string& key, const VARIANT& value, EXCEPINFO* exception);

// Documents.Open: the document becomes ours and active. Refuses an Open that could ask to confirm a
// conversion or add the document to the recent files.
HRESULT openDocument(Instance& instance, const DISPPARAMS& parameters, EXCEPINFO* exception);
// A document of the user's opens in the instance and becomes active, as Word does with a document the
// user opens from the file manager while it runs.
void openForeignDocument(Instance& instance, const std::wstring& path);
// SaveAs or SaveAs2 over the document's path; refuses a save without a file format.
HRESULT saveDocument(Instance& instance, OpenDocument& document, const DISPPARAMS& parameters, bool isSaveAs2,
                     EXCEPINFO* exception);
HRESULT closeDocument(Instance& instance, OpenDocument& document, const DISPPARAMS& parameters);

} // namespace glyphmere::standin
