#include "docengine/session/DispatchObject.h"

#include "common/AsciiCase.h"

namespace glyphmere::docengine {

DispatchObject::DispatchObject(std::string_view objectName, std::shared_ptr<EngineSession> session)
    : m_objectName(objectName), m_session(std::move(session))
{
}

void DispatchObject::fail(const std::string& description) const { throw platform::AutomationError(description); }

const DispatchObject::Member& DispatchObject::find(std::string_view member) const
{
    m_session->checkRunning();
    for (const Member& candidate : m_members) {
        if (common::equalsIgnoringCase(candidate.name, member))
            return candidate;
    }
    fail(m_objectName + " has no member \"" + std::string(member) + "\"");
}

platform::Variant DispatchObject::invoke(const Member& member, const Args& args) const
{
    if (args.size() < member.minArgs || args.size() > member.maxArgs) {
        const std::string expected = member.minArgs == member.maxArgs
                                         ? std::to_string(member.minArgs)
                                         : std::to_string(member.minArgs) + " to " + std::to_string(member.maxArgs);
        fail(m_objectName + "." + std::string(member.name) + " takes " + expected + " argument(s), not " +
             std::to_string(args.size()));
    }
    return member.method(args);
}

platform::Variant DispatchObject::get(std::string_view name)
{
    const Member& member = find(name);
    if (member.getter)
        return member.getter();
    fail(m_objectName + "." + std::string(member.name) + (member.method ? " is a method" : " cannot be read"));
}

void DispatchObject::put(std::string_view name, const platform::Variant& value)
{
    const Member& member = find(name);
    if (!member.setter)
        fail(m_objectName + "." + std::string(member.name) + " cannot be written");
    member.setter(value);
}

platform::Variant DispatchObject::call(std::string_view name, const Args& args)
{
    const Member& member = find(name);
    if (member.method)
        return invoke(member, args);
    if (member.getter && args.empty())
        return member.getter(); // a property may be called without arguments
    fail(m_objectName + "." + std::string(member.name) + " is not a method");
}

platform::Variant DispatchObject::defaultValue()
{
    m_session->checkRunning();
    return defaultValueOf();
}

std::vector<platform::Variant> DispatchObject::enumerate()
{
    m_session->checkRunning();
    return elements();
}

platform::Variant DispatchObject::defaultValueOf() { fail(m_objectName + " has no default value"); }

std::vector<platform::Variant> DispatchObject::elements() { fail(m_objectName + " is not a collection"); }

} // namespace glyphmere::docengine
