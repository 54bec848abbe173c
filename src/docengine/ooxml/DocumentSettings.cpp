#include "docengine/ooxml/DocumentSettings.h"

#include "docengine/ooxml/XmlNames.h"
#include "docengine/ooxml/XmlPart.h"

#include <string_view>

namespace glyphmere::docengine {
namespace {

using xml::Vocabulary;

// A direct child of the settings root, by WordprocessingML name.
xml::Element setting(const XmlPart* settings, std::string_view name)
{
    if (!settings)
        return {};
    const xml::Element& root = settings->rootElement();
    if (!root.isWord("settings"))
        return {};
    return xml::findChild(root, Vocabulary::Word, name);
}

std::string_view wordAttribute(const xml::Element& element, std::string_view name)
{
    return xml::findAttribute(element, Vocabulary::Word, name).value();
}

bool isOnValue(std::string_view value) { return value == "true" || value == "on" || value == "1"; }

bool protectionEnforced(const xml::Element& protection)
{
    return protection.node && isOnValue(wordAttribute(protection, "enforcement"));
}

} // namespace

int savedViewType(const XmlPart* settings)
{
    const xml::Element view = setting(settings, "view");
    const std::string_view value = wordAttribute(view, "val");
    if (!view.node)
        return 3;
    if (value == "normal")
        return 1;
    if (value == "outline" || value == "masterPages")
        return 5;
    if (value == "web")
        return 6;
    return 3;
}

bool usesEvenAndOddHeaders(const XmlPart* settings) { return xml::isOn(setting(settings, "evenAndOddHeaders")); }

bool tracksFormattingChanges(const XmlPart* settings)
{
    if (xml::isOn(setting(settings, "doNotTrackFormatting")))
        return false;
    const xml::Element protection = setting(settings, "documentProtection");
    const bool trackingEnforced =
        protectionEnforced(protection) && wordAttribute(protection, "edit") == "trackedChanges";
    return trackingEnforced || xml::isOn(setting(settings, "trackRevisions"));
}

bool forbidsEditing(const XmlPart* settings)
{
    const xml::Element protection = setting(settings, "documentProtection");
    if (!protectionEnforced(protection))
        return false;
    const std::string_view edit = wordAttribute(protection, "edit");
    return edit == "readOnly" || edit == "comments" || edit == "forms";
}

} // namespace glyphmere::docengine
