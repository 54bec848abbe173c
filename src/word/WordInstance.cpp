#include "word/WordInstance.h"

namespace glyphmere::word {

void endOurWord(const platform::Variant& app)
{
    if (app.get("Documents").get("Count").toInt32() == 0) {
        app.call("Quit", {kDoNotSaveChanges});
        return;
    }
    app.put("Visible", true);
}

} // namespace glyphmere::word
