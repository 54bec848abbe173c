#pragma once

#include "platform/AutomationError.h"
#include "platform/Variant.h"

#include <string_view>
#include <vector>

namespace glyphmere::platform {

// An object addressed by member name (late binding). Member names match case-insensitively.
// Every failure is an AutomationError with a readable description. Dropping the last reference
// releases the object.
class AutomationObject {
public:
    virtual ~AutomationObject() = default;

    virtual Variant get(std::string_view member) = 0;
    virtual void put(std::string_view member, const Variant& value) = 0;
    virtual Variant call(std::string_view member, const std::vector<Variant>& args) = 0;
    virtual Variant defaultValue() = 0;
    virtual std::vector<Variant> enumerate() = 0;
};

// The automation service: makes new objects of a class, or finds a running one.
class Automation {
public:
    virtual ~Automation() = default;

    virtual ObjectRef create(std::string_view className) = 0;
    // Throws AutomationError when no object of the class is running.
    virtual ObjectRef attach(std::string_view className) = 0;
};

} // namespace glyphmere::platform
