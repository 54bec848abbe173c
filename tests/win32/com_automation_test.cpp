#include "platform/win32/ComAutomation.h"

#include "TestDispatch.h"
#include "TinyCheck.h"

#include <oleauto.h>

#include <functional>

using glyphmere::platform::AutomationError;
using glyphmere::platform::AutomationObject;
using glyphmere::platform::ObjectRef;
using glyphmere::platform::Variant;
using namespace glyphmere::platform::win32;

namespace {

// "Größe" and a character outside the Basic Multilingual Plane, in UTF-8 and in UTF-16.
const std::string kGerman = "Gr\xC3\xB6\xC3\x9F"
                            "e";
const std::string kGermanAndEmoji = kGerman + " \xF0\x9F\x98\x80";
const std::wstring kGermanAndEmojiWide = L"Gr\u00F6\u00DFe \U0001F600";

// Drives a fresh test object through the wrapper, then checks that the wrapper gave back every
// reference it took, to the object and to everything the object handed out.
void withTestObject(const std::function<void(const Variant&, test::TestDispatch&)>& body)
{
    test::TestDispatch object;
    {
        const Variant wrapped(wrapDispatch(&object));
        body(wrapped, object);
    }
    CHECK_EQ(object.references(), 0L);
    CHECK(object.everyChildReleased());
}

Variant roundTrip(const Variant& value)
{
    VARIANT converted;
    toComVariant(value, converted);
    Variant back = fromComVariant(converted);
    VariantClear(&converted);
    return back;
}

// Reads back a VARIANT that a test fills in; the VARIANT is cleared afterwards.
Variant readBack(const std::function<void(VARIANT&)>& fill)
{
    VARIANT value;
    VariantInit(&value);
    fill(value);
    Variant result;
    try {
        result = fromComVariant(value);
    } catch (...) {
        VariantClear(&value);
        throw;
    }
    VariantClear(&value);
    return result;
}

// An object of some other automation service, which a COM member cannot be given.
class ForeignObject final : public AutomationObject {
public:
    Variant get(std::string_view) override { return {}; }
    void put(std::string_view, const Variant&) override {}
    Variant call(std::string_view, const std::vector<Variant>&) override { return {}; }
    Variant defaultValue() override { return {}; }
    std::vector<Variant> enumerate() override { return {}; }
};

} // namespace

TEST_CASE(Values_SurviveTheTripThroughVariant)
{
    const Variant values[] = {Variant(),
                              Variant::missing(),
                              Variant(""),
                              Variant(kGermanAndEmoji),
                              Variant(std::int32_t{-2147483647 - 1}),
                              Variant(true),
                              Variant(false),
                              Variant(10.5),
                              Variant(-0.1)};
    for (const Variant& value : values)
        CHECK(roundTrip(value) == value);
}

TEST_CASE(Text_BecomesUtf16Bstr)
{
    VARIANT converted;
    toComVariant(Variant(kGermanAndEmoji), converted);
    CHECK_EQ(V_VT(&converted), VT_BSTR);
    CHECK(std::wstring(V_BSTR(&converted), SysStringLen(V_BSTR(&converted))) == kGermanAndEmojiWide);
    VariantClear(&converted);
}

TEST_CASE(OtherComTypes_ReadBackAsNumbersOrText)
{
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_I2, V_I2(&v) = -7; }) == Variant(std::int32_t{-7}));
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_UI1, V_UI1(&v) = 200; }) == Variant(std::int32_t{200}));
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_UI4, V_UI4(&v) = 4000000000U; }) == Variant(4e9));
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_R4, V_R4(&v) = 2.5F; }) == Variant(2.5));
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_CY, V_CY(&v).int64 = 15000; }) == Variant(1.5));
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_NULL; }) == Variant());
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = nullptr; }) == Variant(""));
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_BOOL, V_BOOL(&v) = VARIANT_TRUE; }) == Variant(true));
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = 36526.0; }).kind() == Variant::Kind::Text);
    static LONG referenced = 42;
    CHECK(readBack([](VARIANT& v) { V_VT(&v) = VT_BYREF | VT_I4, V_I4REF(&v) = &referenced; }) ==
          Variant(std::int32_t{42}));
}

TEST_CASE(ComValuesWithoutCounterpart_AreAutomationErrors)
{
    CHECK_THROWS_WITH(readBack([](VARIANT& v) { V_VT(&v) = VT_ERROR, V_ERROR(&v) = E_FAIL; }), "0x80004005");
    CHECK_THROWS_WITH(readBack([](VARIANT& v) {
                          V_VT(&v) = VT_ARRAY | VT_I4;
                          V_ARRAY(&v) = SafeArrayCreateVector(VT_I4, 0, 2);
                      }),
                      "cannot be read");
}

TEST_CASE(PropertyRead_GivesValueAndMatchesNamesWithoutCase)
{
    withTestObject([](const Variant& object, test::TestDispatch&) {
        CHECK_EQ(object.get("Name").toText(), "Test Object");
        CHECK_EQ(object.get("nAME").toText(), "Test Object");
        CHECK(object.get("Size") == Variant(10.5));
        CHECK_EQ(object.defaultValue().toText(), "Test Object");
        CHECK_EQ(object.toText(), "Test Object");
    });
}

TEST_CASE(PropertyWrite_ArrivesAsTheMatchingComType)
{
    struct Row {
        Variant value;
        VARTYPE arrives;
    };
    const Row rows[] = {{Variant(kGermanAndEmoji), VT_BSTR},
                        {Variant(std::int32_t{3}), VT_I4},
                        {Variant(false), VT_BOOL},
                        {Variant(10.5), VT_R8}};
    withTestObject([&rows](const Variant& object, test::TestDispatch& server) {
        for (const Row& row : rows) {
            object.put("Title", row.value);
            CHECK_EQ(V_VT(&server.title()), row.arrives);
            CHECK(object.get("title") == row.value);
        }
    });
}

TEST_CASE(MethodCall_PassesArgumentsInOrderAndMissingAsParamNotFound)
{
    withTestObject([](const Variant& object, test::TestDispatch&) {
        CHECK_EQ(object.call("Join", {"first", "second"}).toText(), "first|second");
        CHECK_EQ(object.call("Join", {"first", Variant::missing()}).toText(), "first|(missing)");
        CHECK_EQ(object.call("Join", {"first"}).toText(), "first|(missing)");
        CHECK(object.call("Echo", {Variant(kGermanAndEmoji)}) == Variant(kGermanAndEmoji));
        CHECK(object.call("Echo", {Variant(std::int32_t{9})}) == Variant(std::int32_t{9}));
    });
}

TEST_CASE(ObjectValues_TravelBothWays)
{
    withTestObject([](const Variant& object, test::TestDispatch&) {
        const Variant fonts = object.get("Fonts");
        CHECK(fonts.isObject());
        const Variant echoed = object.call("Echo", {fonts});
        CHECK_EQ(echoed.defaultValue().toText(), "Test Object");
        CHECK_THROWS_WITH(object.call("Echo", {Variant(ObjectRef(std::make_shared<ForeignObject>()))}),
                          "another automation service");
    });
}

TEST_CASE(Enumeration_GivesEveryElementInOrder)
{
    withTestObject([](const Variant& object, test::TestDispatch&) {
        const std::vector<Variant> fonts = object.get("Fonts").enumerate();
        const std::vector<Variant> expected = {Variant("Arial"), Variant(kGerman + " Sans"), Variant(std::int32_t{12})};
        CHECK(fonts == expected);
    });
}

TEST_CASE(Failures_CarryTheServersDescriptionOrTheSystemsMessage)
{
    withTestObject([](const Variant& object, test::TestDispatch&) {
        CHECK_THROWS_WITH(object.call("Fail"), "Fail failed: This file could not be found. (0x800A1436)");
        CHECK_THROWS_WITH(object.get("Frobnicate"), "Frobnicate failed: ");
        CHECK_THROWS_WITH(object.get("Frobnicate"), "0x80020006");
        // Echo is a method with one argument: reading it as a property is refused.
        CHECK_THROWS_WITH(object.get("Echo"), "Echo failed: ");
        CHECK_THROWS_WITH(object.put("Name", "x"), "Name failed: ");
    });
}

TEST_CASE(UnknownClass_CannotBeCreatedOrAttached)
{
    ComAutomation automation;
    CHECK_THROWS_WITH(automation.create("Glyphmere.NoSuchClass"), "Creating \"Glyphmere.NoSuchClass\" failed: ");
    CHECK_THROWS_WITH(automation.attach("Glyphmere.NoSuchClass"),
                      "Attaching to a running \"Glyphmere.NoSuchClass\" failed: ");
}

TEST_CASE(BusyServer_IsRetriedForAMinuteThenGivenUp)
{
    const ComAutomation automation;
    IMessageFilter* installed = nullptr;
    CHECK(SUCCEEDED(CoRegisterMessageFilter(nullptr, &installed)));
    CHECK(installed != nullptr);
    if (!installed)
        return;
    const DWORD cancel = static_cast<DWORD>(-1);
    CHECK_EQ(installed->RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER), DWORD{250});
    CHECK_EQ(installed->RetryRejectedCall(nullptr, 59'999, SERVERCALL_RETRYLATER), DWORD{250});
    CHECK_EQ(installed->RetryRejectedCall(nullptr, 60'000, SERVERCALL_RETRYLATER), cancel);
    CHECK_EQ(installed->RetryRejectedCall(nullptr, 0, SERVERCALL_REJECTED), cancel);
    CoRegisterMessageFilter(installed, nullptr);
    installed->Release();
}

// The system's own dictionary class, present on Windows and in Wine, stands in for Word: a registered
// class that is really created by its ProgID.
TEST_CASE(RegisteredClass_IsCreatedAndDrivenByName)
{
    ComAutomation automation;
    CHECK_THROWS_WITH(automation.attach("Scripting.Dictionary"), "Attaching to a running \"Scripting.Dictionary\"");
    const Variant dictionary(automation.create("Scripting.Dictionary"));
    dictionary.call("Add", {"Arial", std::int32_t{1}});
    dictionary.call("Add", {kGermanAndEmoji, std::int32_t{2}});
    CHECK_EQ(dictionary.get("Count").toInt32(), 2);
    CHECK(dictionary.call("Exists", {kGermanAndEmoji}).toBool());
    CHECK_EQ(dictionary.call("Item", {kGermanAndEmoji}).toInt32(), 2);
    CHECK(dictionary.enumerate() == (std::vector<Variant>{"Arial", kGermanAndEmoji}));
    CHECK_THROWS_WITH(dictionary.call("Add", {"Arial", std::int32_t{3}}), "Add failed: ");
}

int main() { return tinycheck::runAllTests(); }
