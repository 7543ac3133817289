#pragma once

// What the UI layer asks of a painter. The Qt host implements it over QPainter; tests use
// RecordingRenderEngine to assert paint output. One engine object serves one paint pass of
// one window; all coordinates are physical window pixels.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "dui/geometry.h"

namespace calvorn::dui {

// Text layout flags for DrawText.
enum TextFormat : unsigned {
    kTextLeft = 0x0,
    kTextCenter = 0x1,
    kTextRight = 0x2,
    kTextTop = 0x0,
    kTextVCenter = 0x4,
    kTextBottom = 0x8,
    kTextSingleLine = 0x20,     // no line breaks
    kTextWordBreak = 0x10,      // wrap at word boundaries
    kTextEndEllipsis = 0x8000,  // "..." when the text does not fit
};

// A font as the engine needs it: face, pixel size already scaled for the window's DPI.
struct FontSpec {
    std::string face;
    int size = 12;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool operator==(const FontSpec&) const = default;
};

// One image to draw, decoded from an image string by the layer.
struct ImageDraw {
    std::string path;            // resolved file path
    Rect dest;                   // where to draw, window pixels
    std::optional<Rect> source;  // part of the image, image pixels; whole image when unset
    Rect corner;                 // nine-patch margins in image pixels (all 0: plain stretch)
    bool hole = false;           // nine-patch without its centre
    bool xtiled = false;         // tile horizontally instead of stretching
    bool ytiled = false;         // tile vertically instead of stretching
    std::optional<Color> mask;   // pixels of this RGB colour are drawn transparent
    int fade = 255;              // opacity 0..255
    std::optional<Color> tint;   // when set, each pixel's RGB is multiplied by this RGB
};

class IRenderEngine {
public:
    virtual ~IRenderEngine() = default;

    virtual void FillRect(const Rect& rect, Color color) = 0;
    // A border of `width` pixels inside `rect`.
    virtual void DrawRect(const Rect& rect, int width, Color color) = 0;
    // Rounded rectangles with corner radii rx, ry; anti-aliased.
    virtual void FillRoundRect(const Rect& rect, int rx, int ry, Color color) = 0;
    virtual void DrawRoundRect(const Rect& rect, int width, int rx, int ry, Color color) = 0;
    // The ellipse inscribed in `rect`; anti-aliased.
    virtual void FillEllipse(const Rect& rect, Color color) = 0;
    // A pie of the ellipse inscribed in `rect`. Angles in degrees, measured clockwise from
    // the positive x axis as seen on screen (y grows downwards); anti-aliased.
    virtual void FillPie(const Rect& rect, double start_degrees, double sweep_degrees,
                         Color color) = 0;
    // UTF-8 text in `rect` with the TextFormat flags in `format`.
    virtual void DrawText(const Rect& rect, std::string_view text, const FontSpec& font,
                          Color color, unsigned format) = 0;
    // An image that cannot be loaded draws nothing.
    virtual void DrawImage(const ImageDraw& image) = 0;
    // Clip to the intersection of `rect` and the current clip until the matching PopClip.
    virtual void PushClip(const Rect& rect) = 0;
    virtual void PopClip() = 0;

    // --- layers ---
    // A container whose children change a small part of their look many times a second (the
    // light colours of a key picture) can be painted as a layer: its static look is painted
    // once into a picture that the engine keeps, with holes where those live parts show, and
    // each later paint fills the live parts and draws the kept picture over them.

    // Whether this engine keeps layers. Without them a layered container paints as any other.
    virtual bool KeepsLayers() const { return false; }
    // True while painting a layer's picture: live parts leave holes instead of painting.
    virtual bool PaintingLayer() const { return false; }
    // Draws `owner`'s layer over `rect`, painting it anew with `paint` unless the kept one was
    // painted for the same `generation` and rectangle.
    virtual void DrawLayer(const void* /*owner*/, std::uint64_t /*generation*/,
                           const Rect& /*rect*/, const std::function<void(IRenderEngine&)>& paint) {
        paint(*this);
    }
    // Makes the rounded rectangle transparent (anti-aliased): a hole in a layer's picture.
    virtual void EraseRoundRect(const Rect& /*rect*/, int /*rx*/, int /*ry*/) {}
};

}  // namespace calvorn::dui
