#pragma once

#include <array>

namespace glyphmere::docengine::xml {

// The characters XML 1.0 allows in a document, and those that may start or continue a name.
bool isXmlCharacter(char32_t c);
bool isNameStart(char32_t c);
bool isNameCharacter(char32_t c);

inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// What an ASCII byte may be without a closer look, so that the common bytes of markup cost one table lookup
// each. Bytes past ASCII have no class: they are decoded and looked at one by one.
enum ByteClass : unsigned char {
    kNameStartByte = 1,  // starts a name
    kNameByte = 2,       // continues a name
    kPlainTextByte = 4,  // stands for itself in text
    kPlainValueByte = 8, // stands for itself in an attribute value
};

constexpr std::array<unsigned char, 256> byteClasses()
{
    std::array<unsigned char, 256> classes{};
    for (int c = 0x20; c < 0x80; ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
        const bool digitOrMark = (c >= '0' && c <= '9') || c == '-' || c == '.';
        classes[c] =
            static_cast<unsigned char>((letter ? kNameStartByte | kNameByte : 0) | (digitOrMark ? kNameByte : 0) |
                                       (c != '<' && c != '&' && c != ']' ? kPlainTextByte : 0) |
                                       (c != '<' && c != '&' && c != '"' && c != '\'' ? kPlainValueByte : 0));
    }
    for (const int c : {'\t', '\n', '\r'})
        classes[c] = kPlainTextByte | kPlainValueByte;
    return classes;
}

inline constexpr std::array<unsigned char, 256> kByteClasses = byteClasses();

inline bool hasClass(char c, ByteClass byteClass) { return kByteClasses[static_cast<unsigned char>(c)] & byteClass; }

} // namespace glyphmere::docengine::xml
