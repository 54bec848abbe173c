#pragma once

#include <string>
#include <utility>

namespace glyphmere::word {

// Where a restyle reads the font options. Each one is read at the moment it is applied, so the window
// can answer from its controls and a headless front end from fixed values.
class OptionsSource {
public:
    virtual ~OptionsSource() = default;

    virtual std::string fontName() const = 0;
    // The size in points, as text; Word is handed the number that the platform's number rule reads in it.
    virtual std::string fontSize() const = 0;
    // The headers-and-footers check box's value: only 1 means set (0 clear, 2 grayed).
    virtual int headersAndFootersValue() const = 0;
};

// Options chosen once, for a front end without controls.
class FixedOptions final : public OptionsSource {
public:
    FixedOptions(std::string fontName, std::string fontSize, bool headersAndFooters)
        : m_fontName(std::move(fontName)), m_fontSize(std::move(fontSize)), m_headersAndFooters(headersAndFooters)
    {
    }

    std::string fontName() const override { return m_fontName; }
    std::string fontSize() const override { return m_fontSize; }
    int headersAndFootersValue() const override { return m_headersAndFooters ? 1 : 0; }

private:
    std::string m_fontName;
    std::string m_fontSize;
    bool m_headersAndFooters;
};

} // namespace glyphmere::word
