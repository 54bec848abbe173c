#include "platform/win32/ComAutomation.h"

#include "platform/win32/ComApartment.h"
#include "platform/win32/ComInstance.h"
#include "platform/win32/ComSupport.h"
#include "platform/win32/ServerProcess.h"
#include "platform/win32/Win32Text.h"

#include <algorithm>

namespace glyphmere::platform::win32 {
namespace {

// The arguments of one call, last argument first as IDispatch::Invoke takes them.
class ArgumentArray {
public:
    explicit ArgumentArray(const std::vector<Variant>& args) : m_values(args.size())
    {
        for (VARIANT& value : m_values)
            VariantInit(&value);
        try {
            for (std::size_t i = 0; i < args.size(); ++i)
                toComVariant(args[args.size() - 1 - i], m_values[i]);
        } catch (...) {
            clear();
            throw;
        }
    }
    ArgumentArray(const ArgumentArray&) = delete;
    ArgumentArray& operator=(const ArgumentArray&) = delete;
    ~ArgumentArray() { clear(); }

    VARIANT* data() { return m_values.empty() ? nullptr : m_values.data(); }
    UINT size() const { return static_cast<UINT>(m_values.size()); }

private:
    void clear()
    {
        for (VARIANT& value : m_values)
            VariantClear(&value);
    }
    std::vector<VARIANT> m_values;
};

// The exception details that a failing Invoke fills in, freed when they go.
struct ScopedExcepInfo {
    EXCEPINFO info{};
    ScopedExcepInfo() = default;
    ScopedExcepInfo(const ScopedExcepInfo&) = delete;
    ScopedExcepInfo& operator=(const ScopedExcepInfo&) = delete;
    ~ScopedExcepInfo() { clear(); }
    void clear()
    {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        info = EXCEPINFO{};
    }
};

// An object addressed by member name through its IDispatch. Every call to the server runs within the
// deadline its instance gives it.
class DispatchObject final : public AutomationObject {
public:
    DispatchObject(IDispatch* dispatch, std::shared_ptr<ComInstance> instance, bool isApplication)
        : m_dispatch(ComRef<IDispatch>::addRef(dispatch)), m_instance(std::move(instance)),
          m_isApplication(isApplication)
    {
    }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;
    // A server that hangs cannot hold the release of a reference for ever either.
    ~DispatchObject() override
    {
        const CallDeadline deadline(static_cast<std::uint32_t>(m_instance->releaseDeadline().count()));
        m_dispatch.reset();
    }

    IDispatch* dispatch() const { return m_dispatch.get(); }

    Variant get(std::string_view member) override
    {
        const Variant value = invoke(member, member, DISPATCH_PROPERTYGET, {});
        if (m_isApplication)
            m_instance->noteApplicationRead(member, member, value);
        return value;
    }

    void put(std::string_view member, const Variant& value) override
    {
        invoke(member, member, DISPATCH_PROPERTYPUT, {value});
        if (m_isApplication)
            m_instance->noteApplicationWrite(member, value);
    }

    Variant call(std::string_view member, const std::vector<Variant>& args) override
    {
        return invoke(member, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }

    Variant defaultValue() override
    {
        return invoke("Reading the default value", {}, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
    }

    std::vector<Variant> enumerate() override;

private:
    // The member's id; the default member (DISPID_VALUE) for an empty name.
    DISPID memberId(std::string_view member) const
    {
        if (member.empty())
            return DISPID_VALUE;
        std::wstring name = widen(member);
        LPOLESTR names[] = {name.data()};
        DISPID id = DISPID_UNKNOWN;
        check(run(member, member,
                  [&] { return m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); }),
              member);
        return id;
    }

    HRESULT run(std::string_view what, std::string_view member, const std::function<HRESULT()>& step) const
    {
        return m_instance->run(what, m_instance->deadlineFor(member), step);
    }

    void invokeInto(std::string_view what, std::string_view member, DISPID id, WORD flags,
                    const std::vector<Variant>& args, VARIANT* result) const;

    Variant invoke(std::string_view what, std::string_view member, WORD flags, const std::vector<Variant>& args) const
    {
        ScopedVariant result;
        invokeInto(what, member, memberId(member), flags, args,
                   flags == DISPATCH_PROPERTYPUT ? nullptr : &result.value);
        return fromComVariantWith(result.value, childMaker());
    }

    // The objects this one hands out belong to the same instance.
    ObjectMaker childMaker() const
    {
        return [instance = m_instance](IDispatch* child) -> ObjectRef {
            return std::make_shared<DispatchObject>(child, instance, false);
        };
    }

    ComRef<IDispatch> m_dispatch;
    std::shared_ptr<ComInstance> m_instance;
    bool m_isApplication;
};

void DispatchObject::invokeInto(std::string_view what, std::string_view member, DISPID id, WORD flags,
                                const std::vector<Variant>& args, VARIANT* result) const
{
    ArgumentArray arguments(args);
    // A property write names its value argument, as COM requires.
    DISPID propertyPut = DISPID_PROPERTYPUT;
    const bool isPut = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS parameters{arguments.data(), isPut ? &propertyPut : nullptr, arguments.size(), isPut ? 1u : 0u};
    ScopedExcepInfo exception;
    UINT argumentError = 0;
    const HRESULT outcome = run(what, member, [&] {
        exception.clear();
        return m_dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, &exception.info,
                                  &argumentError);
    });
    if (FAILED(outcome))
        throw AutomationError(failureText(what, outcome, &exception.info));
}

std::vector<Variant> DispatchObject::enumerate()
{
    const std::string_view what = "Enumerating the collection";
    ScopedVariant enumerator;
    invokeInto(what, {}, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &enumerator.value);
    const VARTYPE type = V_VT(&enumerator.value);
    IUnknown* unknown = type == VT_UNKNOWN    ? V_UNKNOWN(&enumerator.value)
                        : type == VT_DISPATCH ? V_DISPATCH(&enumerator.value)
                                              : nullptr;
    if (!unknown)
        throw AutomationError(std::string(what) + " failed: the collection gave no enumerator.");
    ComRef<IEnumVARIANT> items;
    check(run(what, {}, [&] { return unknown->QueryInterface(IID_IEnumVARIANT, items.out()); }), what);
    std::vector<Variant> elements;
    for (;;) {
        ScopedVariant element;
        ULONG fetched = 0;
        const HRESULT outcome = run(what, {}, [&] { return items->Next(1, &element.value, &fetched); });
        check(outcome, what);
        if (outcome != S_OK || fetched == 0)
            return elements;
        elements.push_back(fromComVariantWith(element.value, childMaker()));
    }
}

CLSID classIdOf(std::string_view className, std::string_view what)
{
    CLSID classId{};
    check(CLSIDFromProgID(widen(className).c_str(), &classId), what);
    return classId;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

ObjectRef applicationObject(IDispatch* dispatch, std::shared_ptr<ComInstance> instance)
{
    return std::make_shared<DispatchObject>(dispatch, std::move(instance), true);
}

} // namespace

ComAutomation::ComAutomation(CallDeadlines deadlines) : m_deadlines(deadlines) { ensureComInitialised(); }

ComAutomation::~ComAutomation() = default;

ObjectRef ComAutomation::create(std::string_view className)
{
    ensureComInitialised();
    const std::string what = "Creating " + quoted(className);
    const CLSID classId = classIdOf(className, what);
    const std::wstring program = serverProgramOf(classId);
    const ProcessIds before = runningProcessesOf(program);
    auto instance = std::make_shared<ComInstance>(m_deadlines, ComInstance::Origin::Created);
    instance->expectProcess(program, before);
    ComRef<IDispatch> dispatch;
    const HRESULT outcome = instance->run(what, m_deadlines.start, [&] {
        return CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch,
                                dispatch.out());
    });
    std::erase_if(m_started, [](const std::shared_ptr<ServerProcess>& process) { return process->hasEnded(); });
    if (auto process = ServerProcess::startedSince(program, before)) {
        m_started.push_back(process);
        instance->adopt(std::move(process));
    }
    check(outcome, what);
    return applicationObject(dispatch.get(), std::move(instance));
}

ObjectRef ComAutomation::attach(std::string_view className)
{
    ensureComInitialised();
    const std::string what = "Attaching to a running " + quoted(className);
    const CLSID classId = classIdOf(className, what);
    auto instance = std::make_shared<ComInstance>(m_deadlines, ComInstance::Origin::Attached);
    ComRef<IUnknown> running;
    check(instance->run(what, m_deadlines.probe,
                        [&] { return GetActiveObject(classId, nullptr, reinterpret_cast<IUnknown**>(running.out())); }),
          what);
    ComRef<IDispatch> dispatch;
    check(
        instance->run(what, m_deadlines.probe, [&] { return running->QueryInterface(IID_IDispatch, dispatch.out()); }),
        what);
    return applicationObject(dispatch.get(), std::move(instance));
}

ObjectRef wrapDispatch(IDispatch* dispatch)
{
    if (!dispatch)
        return nullptr;
    return std::make_shared<DispatchObject>(
        dispatch, std::make_shared<ComInstance>(CallDeadlines{}, ComInstance::Origin::Created), false);
}

IDispatch* dispatchOf(const ObjectRef& object)
{
    const auto* dispatchObject = dynamic_cast<const DispatchObject*>(object.get());
    return dispatchObject ? dispatchObject->dispatch() : nullptr;
}

} // namespace glyphmere::platform::win32
