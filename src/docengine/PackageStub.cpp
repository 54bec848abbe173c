// TEMPORARY: lets the engine link until the package implementation is merged. Every member fails.
#include "docengine/Package.h"

#include "docengine/EngineError.h"

namespace glyphmere::docengine {

struct Package::Impl {};

std::unique_ptr<Package> Package::open(const std::string&) { throw EngineError("not available"); }
Package::Package(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
Package::~Package() = default;
const std::string& Package::path() const { throw EngineError("not available"); }
const std::vector<std::string>& Package::entryNames() const { throw EngineError("not available"); }
bool Package::hasEntry(std::string_view) const { throw EngineError("not available"); }
std::string Package::read(std::string_view) const { throw EngineError("not available"); }
void Package::saveReplacing(const std::map<std::string, std::string>&) const { throw EngineError("not available"); }

} // namespace glyphmere::docengine
