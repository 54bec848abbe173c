#include "docengine/binary/DocumentProperties.h"

#include "docengine/binary/BinaryFields.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

namespace glyphmere::docengine {

namespace {

constexpr const char* kWhat = "the document properties";
constexpr std::size_t kBaseSize = 84;
constexpr std::size_t kStyleLockByte = 594;
constexpr std::size_t kEnforcementByte = 598;

bool isProtected(std::string_view dop)
{
    const std::uint8_t locks = fieldU8(dop, 6, kWhat);
    const std::uint8_t protection = fieldU8(dop, 7, kWhat);
    const bool lockComments = locks & 0x10;
    const bool protectionOn = protection & 0x02;
    const bool lockRevisions = protection & 0x40;
    if (lockComments || protectionOn || lockRevisions)
        return true;
    if (dop.size() > kStyleLockByte && (fieldU8(dop, kStyleLockByte, kWhat) & 0x20))
        return true; // formatting restricted to the allowed styles
    if (dop.size() > kEnforcementByte) {
        const std::uint8_t enforcement = fieldU8(dop, kEnforcementByte, kWhat);
        const bool enforced = enforcement & 0x08;
        const int protectionKind = (enforcement >> 4) & 0x07;
        const int noProtection = 7;
        return enforced && protectionKind != noProtection;
    }
    return false;
}

int viewTypeOf(std::uint16_t viewFlags)
{
    switch (viewFlags & 0x07) {
    case 2: // outline
    case 3: // master pages
        return 5;
    case 4:
        return 1;
    case 5:
        return 6;
    default: // none, print
        return 3;
    }
}

} // namespace

DocumentProperties DocumentProperties::parse(std::string_view dop)
{
    if (dop.size() < kBaseSize)
        refuseDamaged("the document properties are shorter than their fixed part");
    const bool tracksChanges = fieldU8(dop, 5, kWhat) & 0x80;
    if (isProtected(dop))
        throw EngineError(messages::kProtectedAgainstEditing);
    if (tracksChanges)
        throw EngineError(messages::kTracksChanges);
    DocumentProperties result;
    result.m_facingPages = fieldU8(dop, 0, kWhat) & 0x01;
    result.m_savedViewType = viewTypeOf(fieldU16(dop, 82, kWhat));
    return result;
}

} // namespace glyphmere::docengine
