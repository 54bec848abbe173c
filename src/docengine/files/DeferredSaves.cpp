#include "docengine/files/DeferredSaves.h"

#include <utility>

namespace glyphmere::docengine {
namespace {

thread_local DeferredSaves* innermost = nullptr;

} // namespace

DeferredSaves::DeferredSaves() : m_outer(std::exchange(innermost, this)) {}

DeferredSaves::~DeferredSaves() { innermost = m_outer; }

std::vector<PendingSave> DeferredSaves::take() { return std::exchange(m_saves, {}); }

DeferredSaves* DeferredSaves::current() { return innermost; }

void DeferredSaves::keep(PendingSave save) { m_saves.push_back(std::move(save)); }

} // namespace glyphmere::docengine
