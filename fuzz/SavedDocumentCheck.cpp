#include "SavedDocumentCheck.h"

#include "CompoundView.h"
#include "PackageView.h"
#include "WordText.h"

#include <set>

namespace glyphmere::fuzz {

namespace {

std::string packageBreach(std::string_view before, std::string_view after)
{
    const PackageView saved = viewPackage(after, true);
    if (!saved.problem.empty())
        return "the saved package fails the strict look: " + saved.problem;
    const PackageView original = viewPackage(before, false);
    for (const auto& [name, part] : saved.parts) {
        const auto old = original.parts.find(name);
        if (old == original.parts.end())
            return "the saved package holds a part the original did not: " + name;
        if (part.bytes == old->second.bytes)
            continue;
        if (!old->second.xmlProblem.empty())
            return "the engine changed " + name + ", which was not well-formed: " + old->second.xmlProblem;
        if (!part.xmlProblem.empty())
            return "the engine wrote " + name + " not well-formed: " + part.xmlProblem;
        if (part.text != old->second.text)
            return "the text of " + name + " changed";
    }
    return "";
}

std::string compoundBreach(std::string_view before, std::string_view after)
{
    const CompoundView original(before), saved(after);
    if (!original.containerProblem().empty())
        return "the engine changed a compound file whose container is damaged: " + original.containerProblem();
    if (!saved.containerProblem().empty())
        return "the saved compound file's container is damaged: " + saved.containerProblem();
    const auto oldStreams = original.readStreams(), newStreams = saved.readStreams();
    const auto wordDocument = original.readStream("WordDocument").bytes;
    const auto tableName = wordDocument ? tableStreamName(*wordDocument) : std::nullopt;
    if (!tableName)
        return "the engine changed a document without a readable WordDocument stream";
    if (!oldStreams.count(*tableName) || !newStreams.count(*tableName))
        return "the engine changed a document without its table stream";
    const std::set<std::string> edited{"WordDocument", *tableName};
    for (const auto* streams : {&oldStreams, &newStreams}) {
        for (const auto& [path, read] : *streams) {
            const auto old = oldStreams.find(path), now = newStreams.find(path);
            if (old == oldStreams.end() || now == newStreams.end())
                return "the stream " + path + " appeared or went";
            if (edited.count(path) && (!old->second.bytes || !now->second.bytes))
                return "the stream " + path + " does not read: " + old->second.problem + now->second.problem;
            if (!edited.count(path) && !(old->second == now->second))
                return "the stream " + path + " changed (" + old->second.problem + " / " + now->second.problem + ")";
        }
    }
    const auto oldText = pieceTableText(*oldStreams.at("WordDocument").bytes, *oldStreams.at(*tableName).bytes);
    const auto newText = pieceTableText(*newStreams.at("WordDocument").bytes, *newStreams.at(*tableName).bytes);
    if (!oldText || !newText || *oldText != *newText)
        return "the text the piece table gives changed";
    return "";
}

} // namespace

std::string savedDocumentBreach(std::string_view before, std::string_view after)
{
    if (before.starts_with("\xD0\xCF\x11\xE0"))
        return compoundBreach(before, after);
    return packageBreach(before, after);
}

} // namespace glyphmere::fuzz
