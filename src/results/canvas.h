#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace carexa {

/// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kRed = 0xFF0000;
inline constexpr std::uint32_t kBlue = 0x0000FF;

struct CanvasRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const CanvasRect &, const CanvasRect &) = default;
};

struct CanvasPoint
{
    int x = 0;
    int y = 0;

    friend bool operator==(const CanvasPoint &, const CanvasPoint &) = default;
};

/// The small drawing surface every picture of the program is drawn on: the screen, the printer
/// and image export each provide one. Coordinates are whole device units, y growing downward;
/// text is placed by its top left corner.
class Canvas
{
public:
    virtual ~Canvas() = default;

    virtual void setPenColour(std::uint32_t rgb) = 0;
    virtual void setPenWidth(int width) = 0;
    virtual void setBrushColour(std::uint32_t rgb) = 0;
    /// Font size in points; pictures that never set it use the surface's own font.
    virtual void setFontSize(int points) = 0;
    virtual CanvasRect clipRect() const = 0;
    /// Fills with the brush colour.
    virtual void fillRect(const CanvasRect &rect) = 0;
    /// Fills the polygon through `points` with the brush colour, without an outline.
    virtual void fillPolygon(const std::vector<CanvasPoint> &points) = 0;
    virtual void moveTo(int x, int y) = 0;
    /// A line with the pen from the current point; the end becomes the current point.
    virtual void lineTo(int x, int y) = 0;
    virtual void textOut(int x, int y, const std::string &text) = 0;
    /// How far `text` reaches to the right when written with the font in use, in canvas units.
    virtual int textWidth(const std::string &text) const = 0;
};

} // namespace carexa
