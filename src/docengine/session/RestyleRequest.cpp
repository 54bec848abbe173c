#include "docengine/session/RestyleRequest.h"

#include "docengine/session/FontValues.h"
#include "docengine/session/OpenerByContent.h"

namespace glyphmere::docengine {

FontChange fontChangeFor(const RestyleRequest& request)
{
    FontChange change{checkedFontName(request.fontName), halfPointsFromSize(request.fontSize)};
    if (request.eastAsianFont)
        change.eastAsianName = checkedFontName(*request.eastAsianFont);
    if (request.complexScriptFont)
        change.complexScriptName = checkedFontName(*request.complexScriptFont);
    return change;
}

std::vector<StoryChanges> restyleDocumentFile(const std::string& path, const RestyleRequest& request,
                                              SaveDeferral* deferral)
{
    const FontChange change = fontChangeFor(request);
    const std::unique_ptr<EditableDocument> document = openerByContent(deferral)(path, UtcClock());
    std::vector<StoryChanges> changes = document->restyle(request.reach, request.styles, change);
    if (!request.dryRun)
        document->save();
    return changes;
}

} // namespace glyphmere::docengine
