#include "docengine/session/DispatchObject.h"
#include "docengine/session/EngineObjects.h"

namespace glyphmere::docengine {
namespace {

using platform::Variant;

class FontObject final : public DispatchObject {
public:
    explicit FontObject(const std::shared_ptr<EngineSession>& s) : DispatchObject("Font", s)
    {
        setMembers({
            {"Name", {}, [s](const Variant& value) { s->setFontName(value); }, {}},
            {"Size", {}, [s](const Variant& value) { s->setFontSize(value); }, {}},
        });
    }
};

class SelectionObject final : public DispatchObject {
public:
    explicit SelectionObject(const std::shared_ptr<EngineSession>& s) : DispatchObject("Selection", s)
    {
        setMembers({
            {"WholeStory",
             {},
             {},
             [s](const Args&) {
                 s->selectWholeStory();
                 return Variant();
             }},
            {"Font", [s] { return Variant(platform::ObjectRef(std::make_shared<FontObject>(s))); }, {}, {}},
        });
    }
};

class ViewObject final : public DispatchObject {
public:
    explicit ViewObject(const std::shared_ptr<EngineSession>& s) : DispatchObject("View", s)
    {
        setMembers({
            {"Type",
             [s] { return Variant(std::int32_t{s->viewType()}); },
             [s](const Variant& value) { s->setViewType(value); },
             {}},
            {"SeekView",
             [s] { return Variant(std::int32_t{s->seekView()}); },
             [s](const Variant& value) { s->setSeekView(value); },
             {}},
        });
    }
};

platform::ObjectRef makeView(const std::shared_ptr<EngineSession>& session)
{
    return std::make_shared<ViewObject>(session);
}

class PaneObject final : public DispatchObject {
public:
    explicit PaneObject(const std::shared_ptr<EngineSession>& s) : DispatchObject("Pane", s)
    {
        setMembers({{"View", [s] { return Variant(makeView(s)); }, {}, {}}});
    }
};

class WindowObject final : public DispatchObject {
public:
    explicit WindowObject(const std::shared_ptr<EngineSession>& s) : DispatchObject("Window", s)
    {
        setMembers({
            {"ActivePane", [s] { return Variant(platform::ObjectRef(std::make_shared<PaneObject>(s))); }, {}, {}},
            {"View", [s] { return Variant(makeView(s)); }, {}, {}},
            {"Selection", [s] { return Variant(makeSelection(s)); }, {}, {}},
        });
    }
};

} // namespace

platform::ObjectRef makeSelection(const std::shared_ptr<EngineSession>& session)
{
    return std::make_shared<SelectionObject>(session);
}

platform::ObjectRef makeWindow(const std::shared_ptr<EngineSession>& session)
{
    return std::make_shared<WindowObject>(session);
}

} // namespace glyphmere::docengine
