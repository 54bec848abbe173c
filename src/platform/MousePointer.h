#pragma once

namespace glyphmere::platform {

// Pointer settings shared by the window and the list.
namespace MousePointer {
inline constexpr int Default = 0;
inline constexpr int Arrow = 1;
inline constexpr int Hourglass = 11;
inline constexpr int Custom = 99;
} // namespace MousePointer

// Something whose pointer setting the logic reads and writes: the main window, or the list.
class PointerSetting {
public:
    virtual ~PointerSetting() = default;

    virtual int mousePointer() const = 0;
    virtual void setMousePointer(int setting) = 0;
};

} // namespace glyphmere::platform
