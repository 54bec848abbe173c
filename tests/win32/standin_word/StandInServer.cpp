// The server's entry points: the class factory that COM asks for the stand-in's class.
#include "StandInObjects.h"
#include "StandInSupport.h"
#include "StandInWord.h"

#include <windows.h>

namespace glyphmere::standin {
namespace {

// One factory for the process; it is never freed, so its count has nothing to do.
class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        *object = nullptr;
        if (!IsEqualIID(id, IID_IUnknown) && !IsEqualIID(id, IID_IClassFactory))
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override
    {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        logCall("create Word.Application");
        if (failureChosen("create Word.Application"))
            return CO_E_SERVER_EXEC_FAILURE;
        IDispatch* application = nullptr;
        const HRESULT made = createApplication(&application);
        if (FAILED(made))
            return made;
        const HRESULT given = application->QueryInterface(id, object);
        application->Release();
        return given;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

} // namespace
} // namespace glyphmere::standin

extern "C" HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID classId, REFIID id, void** object)
{
    *object = nullptr;
    if (!IsEqualCLSID(classId, glyphmere::standin::kStandInWordClass))
        return CLASS_E_CLASSNOTAVAILABLE;
    return glyphmere::standin::g_factory.QueryInterface(id, object);
}

extern "C" HRESULT STDMETHODCALLTYPE DllCanUnloadNow()
{
    return glyphmere::standin::liveObjects() == 0 ? S_OK : S_FALSE;
}
