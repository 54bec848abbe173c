#include "platform/Automation.h"

#include <gtest/gtest.h>

#include <limits>

namespace glyphmere::platform {
namespace {

// An object whose default value is a fixed text and that records the last put.
class NamedObject final : public AutomationObject {
public:
    explicit NamedObject(std::string name) : m_name(std::move(name)) {}
    Variant get(std::string_view member) override { return std::string("get ") + std::string(member); }
    void put(std::string_view member, const Variant& value) override
    {
        lastPut = std::string(member) + "=" + value.toText();
    }
    Variant call(std::string_view member, const std::vector<Variant>& args) override
    {
        return std::string(member) + "/" + std::to_string(args.size());
    }
    Variant defaultValue() override { return m_name; }
    std::vector<Variant> enumerate() override { return {Variant("a"), Variant(2)}; }
    std::string lastPut;

private:
    std::string m_name;
};

TEST(Variant, ConvertsToTextAsAnAutomationClientExpects)
{
    EXPECT_EQ(Variant().toText(), "");
    EXPECT_EQ(Variant("Arial").toText(), "Arial");
    EXPECT_EQ(Variant(3).toText(), "3");
    EXPECT_EQ(Variant(-12).toText(), "-12");
    EXPECT_EQ(Variant(true).toText(), "True");
    EXPECT_EQ(Variant(false).toText(), "False");
    EXPECT_EQ(Variant(10.5).toText(), "10.5");
    EXPECT_EQ(Variant(0.1).toText(), "0.1");
    EXPECT_EQ(Variant(std::make_shared<NamedObject>("Microsoft Word")).toText(), "Microsoft Word");
    EXPECT_THROW(Variant::missing().toText(), AutomationError);
}

TEST(Variant, ConvertsToNumbersOrFailsClearly)
{
    EXPECT_EQ(Variant("3").toInt32(), 3);
    EXPECT_EQ(Variant(" 10,5 ").toDouble(), 10.5);
    EXPECT_EQ(Variant(2.5).toInt32(), 2); // half to even
    EXPECT_EQ(Variant(3.5).toInt32(), 4);
    EXPECT_TRUE(Variant("true").toBool());
    EXPECT_FALSE(Variant("0").toBool());
    EXPECT_THROW(Variant("twelve").toDouble(), AutomationError);
    EXPECT_THROW(Variant(1e12).toInt32(), AutomationError);
    EXPECT_THROW(Variant(std::numeric_limits<double>::quiet_NaN()).toInt32(), AutomationError);
}

TEST(Variant, ForwardsLateBoundCallsToItsObject)
{
    auto object = std::make_shared<NamedObject>("x");
    const Variant value(object);
    EXPECT_EQ(value.get("Selection").toText(), "get Selection");
    value.put("name", "Arial");
    EXPECT_EQ(object->lastPut, "name=Arial");
    EXPECT_EQ(value.call("Open", {Variant("/a.docx"), Variant::missing()}).toText(), "Open/2");
    EXPECT_EQ(value.enumerate().size(), 2u);
}

TEST(Variant, LateBoundCallOnAPlainValueFails)
{
    EXPECT_THROW(Variant("text").get("Font"), AutomationError);
    EXPECT_THROW(Variant().call("Quit"), AutomationError);
    EXPECT_THROW(Variant(ObjectRef()).get("Font"), AutomationError);
}

TEST(Variant, MissingDiffersFromEmpty)
{
    EXPECT_TRUE(Variant::missing().isMissing());
    EXPECT_FALSE(Variant().isMissing());
    EXPECT_NE(Variant::missing(), Variant());
}

} // namespace
} // namespace glyphmere::platform
