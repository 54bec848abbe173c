#include "platform/Variant.h"

#include "platform/Automation.h"
#include "platform/NumberText.h"

#include "common/AsciiCase.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace glyphmere::platform {
namespace {

std::string shortestText(double number)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

[[noreturn]] void throwNotConvertible(const char* target)
{
    throw AutomationError(std::string("the value cannot be converted to ") + target);
}

} // namespace

Variant::Variant(ObjectRef object) : m_value(std::move(object)) {}

Variant Variant::missing()
{
    Variant value;
    value.m_value = MissingTag{};
    return value;
}

std::string Variant::toText() const
{
    switch (kind()) {
    case Kind::Empty:
        return {};
    case Kind::Text:
        return std::get<std::string>(m_value);
    case Kind::Int32:
        return std::to_string(std::get<std::int32_t>(m_value));
    case Kind::Bool:
        return std::get<bool>(m_value) ? "True" : "False";
    case Kind::Double:
        return shortestText(std::get<double>(m_value));
    case Kind::Object:
        return defaultValue().toText();
    case Kind::Missing:
        break;
    }
    throwNotConvertible("text");
}

double Variant::toDouble() const
{
    switch (kind()) {
    case Kind::Empty:
        return 0;
    case Kind::Int32:
        return std::get<std::int32_t>(m_value);
    case Kind::Bool:
        return std::get<bool>(m_value) ? -1 : 0;
    case Kind::Double:
        return std::get<double>(m_value);
    case Kind::Text:
        if (auto number = parseNumberText(std::get<std::string>(m_value)))
            return *number;
        break;
    case Kind::Object:
        return defaultValue().toDouble();
    case Kind::Missing:
        break;
    }
    throwNotConvertible("a number");
}

std::int32_t Variant::toInt32() const
{
    if (kind() == Kind::Int32)
        return std::get<std::int32_t>(m_value);
    // Round half to even, as automation conversions do; the range check is written so NaN fails it.
    const double rounded = std::nearbyint(toDouble());
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        throwNotConvertible("a 32-bit integer");
    return static_cast<std::int32_t>(rounded);
}

bool Variant::toBool() const
{
    if (kind() == Kind::Text) {
        const std::string& text = std::get<std::string>(m_value);
        if (common::equalsIgnoringCase(text, "True"))
            return true;
        if (common::equalsIgnoringCase(text, "False"))
            return false;
    }
    return toDouble() != 0;
}

ObjectRef Variant::object() const
{
    if (kind() != Kind::Object || !std::get<ObjectRef>(m_value))
        throw AutomationError("the value is not an object");
    return std::get<ObjectRef>(m_value);
}

Variant Variant::get(std::string_view member) const { return object()->get(member); }

void Variant::put(std::string_view member, const Variant& value) const { object()->put(member, value); }

Variant Variant::call(std::string_view member, const std::vector<Variant>& args) const
{
    return object()->call(member, args);
}

Variant Variant::defaultValue() const { return object()->defaultValue(); }

std::vector<Variant> Variant::enumerate() const { return object()->enumerate(); }

} // namespace glyphmere::platform
