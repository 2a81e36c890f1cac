#pragma once
// A control the dialog draws itself: a template entry of kind Custom (with its class name)
// whose widget hands painting, size, pointer moves and focus to a CCustomControl bound to it.
// The control draws through a PaintTarget and measures text in the font it is drawn in; each
// backend provides both with its own painter and fonts.
#include <cstdint>
#include <string>

#include "ui/wnd.h"

struct TextExtent {
    int cx = 0;
    int cy = 0;
};

enum class TextAlignment { Left, Centre, Right };

// Drawing in the control's pixels; colours are 0xAARRGGBB, drawn opaque.
class PaintTarget {
public:
    virtual ~PaintTarget() = default;
    virtual void FillRect(int x, int y, int cx, int cy, std::uint32_t colour) = 0;
    // One pixel wide, both end pixels included.
    virtual void DrawLine(int x1, int y1, int x2, int y2, std::uint32_t colour) = 0;
    // One line of text in the box, kept to the named edge, centred vertically.
    virtual void DrawText(int x, int y, int cx, int cy, const std::string& text,
                          TextAlignment align, std::uint32_t colour) = 0;
    // `pixels`: cx * cy opaque pixels, row after row, copied with their top left at (x, y).
    virtual void DrawImage(int x, int y, int cx, int cy, const std::uint32_t* pixels) = 0;
    // False for a part this paint leaves as it is (none of it was asked to be painted again):
    // what lies only there need not be drawn.
    virtual bool NeedsPainting(int /*x*/, int /*y*/, int /*cx*/, int /*cy*/) const { return true; }
};

class CCustomControl : public CWnd {
public:
    CCustomControl() = default;
    ~CCustomControl() override;

    // Binds this object to the custom control `id` of `parent` (after the dialog is built,
    // typically in OnInitDialog). FALSE when there is no such control.
    BOOL SubclassDlgItem(int id, CWnd* parent);
    // Asks for OnPaint soon.
    void Invalidate();
    // Asks for OnPaint soon for this part; parts asked for before the paint add up.
    void InvalidateRect(int x, int y, int cx, int cy);
    int ClientWidth() const;
    int ClientHeight() const;
    // The size of one line of text in the font the control draws with.
    TextExtent GetTextExtent(const std::string& text) const;
    // Draws the control as it is now into a PNG file. FALSE when the file cannot be written.
    BOOL SavePng(const std::string& path);

    virtual void OnPaint(PaintTarget& target) = 0;
    virtual void OnSize(int /*cx*/, int /*cy*/) {}
    virtual void OnMouseMove(int /*x*/, int /*y*/) {}
    virtual void OnMouseLeave() {}
    virtual void OnFocus(bool /*gained*/) {}
};
