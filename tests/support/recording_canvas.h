#pragma once

#include "results/canvas.h"

#include <string>
#include <vector>

namespace carexa::testing_support {

/// A canvas that remembers what was drawn on it, for asserting on points, colours and texts.
class RecordingCanvas : public Canvas
{
public:
    struct Segment
    {
        int x1, y1, x2, y2;
        std::uint32_t colour;
        int width;
    };
    struct Text
    {
        int x, y;
        std::string text;
        int fontSize;
        std::uint32_t colour;
    };

    /// Texts measure `charWidth` units a byte.
    explicit RecordingCanvas(CanvasRect clip = {0, 0, 600, 420}, int charWidth = 7)
        : clip_(clip), charWidth_(charWidth)
    { }

    void setPenColour(std::uint32_t rgb) override { pen_ = rgb; }
    void setPenWidth(int width) override { width_ = width; }
    void setBrushColour(std::uint32_t rgb) override { brush_ = rgb; }
    void setFontSize(int points) override { fontSize_ = points; }
    CanvasRect clipRect() const override { return clip_; }
    void fillRect(const CanvasRect &rect) override { fills.push_back({rect, brush_}); }
    void fillPolygon(const std::vector<CanvasPoint> &points) override
    {
        polygons.push_back({points, brush_});
    }
    void moveTo(int x, int y) override
    {
        x_ = x;
        y_ = y;
        moves.push_back({x, y, x, y, pen_, width_});
    }
    void lineTo(int x, int y) override
    {
        segments.push_back({x_, y_, x, y, pen_, width_});
        x_ = x;
        y_ = y;
    }
    void textOut(int x, int y, const std::string &text) override
    {
        texts.push_back({x, y, text, fontSize_, pen_});
    }
    int textWidth(const std::string &text) const override
    {
        return static_cast<int>(text.size()) * charWidth_;
    }

    /// The segments drawn in one colour, in order.
    std::vector<Segment> segmentsIn(std::uint32_t colour) const
    {
        std::vector<Segment> found;
        for (const Segment &s : segments) {
            if (s.colour == colour)
                found.push_back(s);
        }
        return found;
    }
    bool hasText(const std::string &text) const
    {
        for (const Text &t : texts) {
            if (t.text == text)
                return true;
        }
        return false;
    }
    /// The first text with these words; nullptr when there is none.
    const Text *findText(const std::string &text) const
    {
        for (const Text &t : texts) {
            if (t.text == text)
                return &t;
        }
        return nullptr;
    }
    /// The fills in one colour, in order.
    std::vector<CanvasRect> fillsIn(std::uint32_t colour) const
    {
        std::vector<CanvasRect> found;
        for (const Fill &f : fills) {
            if (f.colour == colour)
                found.push_back(f.rect);
        }
        return found;
    }
    const Text *textAt(int x, int y) const
    {
        for (const Text &t : texts) {
            if (t.x == x && t.y == y)
                return &t;
        }
        return nullptr;
    }
    /// The polygons filled in one colour, in order.
    std::vector<std::vector<CanvasPoint>> polygonsIn(std::uint32_t colour) const
    {
        std::vector<std::vector<CanvasPoint>> found;
        for (const Polygon &p : polygons) {
            if (p.colour == colour)
                found.push_back(p.points);
        }
        return found;
    }
    bool empty() const
    {
        return segments.empty() && texts.empty() && fills.empty() && moves.empty()
            && polygons.empty();
    }

    struct Fill
    {
        CanvasRect rect;
        std::uint32_t colour;
    };
    struct Polygon
    {
        std::vector<CanvasPoint> points;
        std::uint32_t colour;
    };
    std::vector<Segment> segments;
    std::vector<Segment> moves;
    std::vector<Polygon> polygons;
    std::vector<Text> texts;
    std::vector<Fill> fills;

private:
    CanvasRect clip_;
    int charWidth_;
    std::uint32_t pen_ = kBlack;
    std::uint32_t brush_ = kWhite;
    int width_ = 1;
    int fontSize_ = 0;
    int x_ = 0;
    int y_ = 0;
};

} // namespace carexa::testing_support
