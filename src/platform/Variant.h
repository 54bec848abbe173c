#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace glyphmere::platform {

class AutomationObject;
using ObjectRef = std::shared_ptr<AutomationObject>;

// A value passed to or returned by an automation member: the kinds that Word's late-bound interface uses.
// An object value also forwards the late-bound calls, so a chain reads like the calls it makes:
// app.get("Selection").get("Font").put("name", "Arial").
class Variant {
public:
    enum class Kind { Empty, Missing, Text, Int32, Bool, Double, Object };

    Variant() = default;
    Variant(std::string text) : m_value(std::move(text)) {}
    Variant(const char* text) : m_value(std::string(text)) {}
    Variant(std::int32_t number) : m_value(number) {}
    Variant(bool flag) : m_value(flag) {}
    Variant(double number) : m_value(number) {}
    Variant(ObjectRef object);

    // Stands for an optional argument that the caller leaves out.
    static Variant missing();

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isMissing() const { return kind() == Kind::Missing; }
    bool isObject() const { return kind() == Kind::Object; }

    // Conversions as an automation client expects them; each throws AutomationError when the value
    // cannot be converted. toText: text as is, integers in decimal digits, Booleans "True"/"False",
    // doubles in the shortest form that reads back the same, empty as "", an object by its default value.
    std::string toText() const;
    std::int32_t toInt32() const;
    bool toBool() const;
    double toDouble() const;
    ObjectRef object() const;

    // Late-bound calls on an object value; each throws AutomationError on a value that is no object.
    Variant get(std::string_view member) const;
    void put(std::string_view member, const Variant& value) const;
    Variant call(std::string_view member, const std::vector<Variant>& args = {}) const;
    Variant defaultValue() const;
    std::vector<Variant> enumerate() const;

    friend bool operator==(const Variant& a, const Variant& b) = default;

private:
    struct MissingTag {
        friend bool operator==(MissingTag, MissingTag) = default;
    };
    // The order of the alternatives matches Kind.
    std::variant<std::monostate, MissingTag, std::string, std::int32_t, bool, double, ObjectRef> m_value;
};

} // namespace glyphmere::platform
