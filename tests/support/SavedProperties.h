#pragma once

#include "docengine/binary/InstalledFonts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glyphmere::docengine::binary_testing {

// Describes every font the same way, so that tests do not depend on the installed fonts.
class FixedFonts final : public FontDescriber {
public:
    FontDescription describe(const std::string& family) const override;
};

// The direct character properties of every CP of a Word file, as a reader finds them through the piece
// table and the bin table: the grpprl, "-" for text without properties, "?" for text no run covers.
std::vector<std::string> propertiesByCp(const std::string& fileBytes);

// The size sprms a restyle appends (sprmCHps and sprmCHpsBi), and whether a property list ends with them.
std::string sizeSprms(std::uint16_t halfPoints);
bool endsWithSizeSprms(const std::string& grpprl, std::uint16_t halfPoints);

} // namespace glyphmere::docengine::binary_testing
