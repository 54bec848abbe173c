#pragma once

#include "docengine/session/EngineSession.h"

#include "platform/Automation.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// An automation object of the engine: its members are looked up in a table by name, without regard
// to case (callers send "name" for Name). An unknown member, a wrong argument count or a member used
// the wrong way is an AutomationError, and nothing is changed.
class DispatchObject : public platform::AutomationObject {
public:
    platform::Variant get(std::string_view member) override;
    void put(std::string_view member, const platform::Variant& value) override;
    platform::Variant call(std::string_view member, const std::vector<platform::Variant>& args) override;
    platform::Variant defaultValue() override;
    std::vector<platform::Variant> enumerate() override;

protected:
    using Args = std::vector<platform::Variant>;

    // One member: a property (getter and/or setter) or a method taking minArgs to maxArgs arguments.
    struct Member {
        std::string_view name;
        std::function<platform::Variant()> getter;
        std::function<void(const platform::Variant&)> setter;
        std::function<platform::Variant(const Args&)> method;
        std::size_t minArgs = 0;
        std::size_t maxArgs = 0;
    };

    DispatchObject(std::string_view objectName, std::shared_ptr<EngineSession> session);

    void setMembers(std::vector<Member> members) { m_members = std::move(members); }
    EngineSession& session() const { return *m_session; }
    const std::shared_ptr<EngineSession>& sessionRef() const { return m_session; }

    // Overridden by objects that have a default value or are collections.
    virtual platform::Variant defaultValueOf();
    virtual std::vector<platform::Variant> elements();

    [[noreturn]] void fail(const std::string& description) const;

private:
    const Member& find(std::string_view member) const;
    platform::Variant invoke(const Member& member, const Args& args) const;

    std::string m_objectName;
    std::shared_ptr<EngineSession> m_session;
    std::vector<Member> m_members;
};

} // namespace glyphmere::docengine
