#include "docengine/binary/Sprm.h"

#include "common/LittleEndian.h"
#include "docengine/binary/BinaryFields.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

#include <array>
#include <optional>

namespace glyphmere::docengine {
namespace {

// Operand sizes by spra; 0 marks the variable size of spra 6.
constexpr std::array<std::size_t, 8> kOperandSizes = {1, 1, 2, 4, 2, 2, 0, 3};

[[noreturn]] void refuseTruncated()
{
    throw EngineError(messages::damagedStructure("a list of formatting properties ends inside a property"));
}

std::size_t byteAt(std::string_view operand, std::size_t offset)
{
    if (offset >= operand.size())
        refuseTruncated();
    return static_cast<unsigned char>(operand[offset]);
}

// sprmPChgTabs with size byte 255: the size byte, then the count of deleted tabs with 4 bytes each (position
// and close range), then the count of added tabs with 3 bytes each (position and descriptor).
std::size_t countedTabsOperandSize(std::string_view operand)
{
    std::size_t size = 1;
    size += 1 + 4 * byteAt(operand, size);
    size += 1 + 3 * byteAt(operand, size);
    return size;
}

std::size_t variableOperandSize(std::uint16_t opcode, std::string_view operand)
{
    if (opcode == sprm::kTDefTable) {
        // A 2-byte count of the rest of the operand, plus one.
        const std::optional<std::uint16_t> count = common::readLe16(operand, 0);
        if (!count)
            refuseTruncated();
        if (*count == 0)
            throw EngineError(messages::damagedStructure("a table definition gives its size as 0"));
        return 2 + std::size_t{*count} - 1;
    }
    const std::size_t count = byteAt(operand, 0);
    if (opcode == sprm::kPChgTabs && count == 255)
        return countedTabsOperandSize(operand);
    return 1 + count;
}

std::size_t operandSize(std::uint16_t opcode, std::string_view operand)
{
    const std::size_t fixed = kOperandSizes[opcode >> 13];
    return fixed != 0 ? fixed : variableOperandSize(opcode, operand);
}

} // namespace

std::vector<Prl> splitGrpprl(std::string_view grpprl)
{
    std::vector<Prl> prls;
    for (std::size_t offset = 0; offset < grpprl.size();) {
        if (grpprl.size() - offset < 2)
            refuseTruncated();
        const std::uint16_t opcode = fieldU16(grpprl, offset, "a property list");
        const std::size_t size = 2 + operandSize(opcode, grpprl.substr(offset + 2));
        if (size > grpprl.size() - offset)
            refuseTruncated();
        prls.push_back({opcode, grpprl.substr(offset, size)});
        offset += size;
    }
    return prls;
}

} // namespace glyphmere::docengine
