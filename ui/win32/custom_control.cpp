// The Win32 window of a custom control: a window class of its own per template class name,
// painting double-buffered through GDI, pointer and focus handed to the bound CCustomControl,
// text measured in the font the dialog gave the control, pictures written with the Windows
// imaging component.
#define HWND NativeHwnd
#define NMHDR NativeNmhdr
#define NMUPDOWN NativeNmUpDown
#define NMLISTVIEW NativeNmListView
#include <windows.h>
#include <wincodec.h>
#undef NMLISTVIEW
#include "ui/win32/windows_api.h"

#include <algorithm>
#include <set>

#include "ui/custom_control.h"
#include "ui/win32/custom_control_class.h"
#include "ui/win32/dialog_widget.h"

namespace {

struct ControlState {
    CCustomControl* control = nullptr;
    HFONT font = nullptr;
    bool tracking = false;  // asked for WM_MOUSELEAVE
};

ControlState* StateOf(NativeHwnd hwnd) {
    return reinterpret_cast<ControlState*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

COLORREF Rgb(std::uint32_t argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

class GdiPaintTarget : public PaintTarget {
public:
    explicit GdiPaintTarget(HDC dc) : dc_(dc) {
        ::SetBkMode(dc_, TRANSPARENT);
        ::SelectObject(dc_, ::GetStockObject(DC_BRUSH));
        ::SelectObject(dc_, ::GetStockObject(DC_PEN));
    }
    void FillRect(int x, int y, int cx, int cy, std::uint32_t colour) override {
        if (cx <= 0 || cy <= 0) return;
        ::SetDCBrushColor(dc_, Rgb(colour));
        const RECT r{x, y, x + cx, y + cy};
        ::FillRect(dc_, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    }
    void DrawLine(int x1, int y1, int x2, int y2, std::uint32_t colour) override {
        if (x1 == x2 || y1 == y2) {
            FillRect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1,
                     std::abs(y2 - y1) + 1, colour);
            return;
        }
        ::SetDCPenColor(dc_, Rgb(colour));
        ::MoveToEx(dc_, x1, y1, nullptr);
        ::LineTo(dc_, x2, y2);
        ::SetPixel(dc_, x2, y2, Rgb(colour));  // LineTo leaves the last pixel out
    }
    void DrawText(int x, int y, int cx, int cy, const std::string& text, TextAlignment align,
                  std::uint32_t colour) override {
        const std::wstring wide = Wide(text);
        SIZE size{};
        ::GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
        int left = x;
        if (align == TextAlignment::Centre) left += (cx - size.cx) / 2;
        if (align == TextAlignment::Right) left += cx - size.cx;
        ::SetTextColor(dc_, Rgb(colour));
        ::ExtTextOutW(dc_, left, y + (cy - size.cy) / 2, 0, nullptr, wide.c_str(),
                      static_cast<UINT>(wide.size()), nullptr);
    }
    void DrawImage(int x, int y, int cx, int cy, const std::uint32_t* pixels) override {
        if (cx <= 0 || cy <= 0 || pixels == nullptr) return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = cx;
        info.bmiHeader.biHeight = -cy;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;  // 0xAARRGGBB in memory is B, G, R, unused
        ::SetDIBitsToDevice(dc_, x, y, static_cast<DWORD>(cx), static_cast<DWORD>(cy), 0, 0, 0,
                            static_cast<UINT>(cy), pixels, &info, DIB_RGB_COLORS);
    }

private:
    HDC dc_;
};

// Paints the control into a top-down 32-bit DIB section of its size; the bits stay valid while
// the bitmap lives.
struct Picture {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    void* bits = nullptr;
    int width = 0, height = 0;

    Picture(HDC like, int cx, int cy) : width(std::max(cx, 1)), height(std::max(cy, 1)) {
        dc = ::CreateCompatibleDC(like);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = ::SelectObject(dc, bitmap);
    }
    ~Picture() {
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
};

void PaintInto(NativeHwnd hwnd, ControlState& state, HDC dc, int cx, int cy) {
    const HGDIOBJ oldFont = state.font != nullptr ? ::SelectObject(dc, state.font) : nullptr;
    GdiPaintTarget target(dc);
    if (state.control != nullptr) {
        state.control->OnPaint(target);
    } else {
        target.FillRect(0, 0, cx, cy, 0xFF000000u | ::GetSysColor(COLOR_BTNFACE));
    }
    if (oldFont != nullptr) ::SelectObject(dc, oldFont);
    (void)hwnd;
}

LRESULT CALLBACK CustomProc(NativeHwnd hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlState* state = StateOf(hwnd);
    switch (message) {
        case WM_NCCREATE:
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(new ControlState()));
            break;
        case WM_NCDESTROY:
            if (state != nullptr) {
                if (state->control != nullptr) state->control->Detach();
                delete state;
                ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            }
            break;
        case WM_SETFONT:
            if (state != nullptr) {
                state->font = reinterpret_cast<HFONT>(wParam);
                // Measured again in the new font, as the Qt backend does on a font change.
                if (state->control != nullptr) {
                    RECT client;
                    ::GetClientRect(hwnd, &client);
                    state->control->OnSize(client.right, client.bottom);
                }
            }
            return 0;
        case WM_GETFONT:
            return state != nullptr ? reinterpret_cast<LRESULT>(state->font) : 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills every pixel
        case 0x000F: {  // WM_PAINT
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            RECT client;
            ::GetClientRect(hwnd, &client);
            if (state != nullptr) {
                // Drawn off screen first, then copied: no flicker while readings arrive.
                Picture buffer(dc, client.right, client.bottom);
                PaintInto(hwnd, *state, buffer.dc, client.right, client.bottom);
                ::BitBlt(dc, 0, 0, client.right, client.bottom, buffer.dc, 0, 0, SRCCOPY);
            }
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_SIZE:
            if (state != nullptr && state->control != nullptr) {
                state->control->OnSize(LOWORD(lParam), HIWORD(lParam));
            }
            return 0;
        case WM_MOUSEMOVE:
            if (state != nullptr) {
                if (!state->tracking) {
                    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
                    state->tracking = ::TrackMouseEvent(&track) != 0;
                }
                if (state->control != nullptr) {
                    state->control->OnMouseMove(static_cast<short>(LOWORD(lParam)),
                                                static_cast<short>(HIWORD(lParam)));
                }
            }
            return 0;
        case WM_MOUSELEAVE:
            if (state != nullptr) {
                state->tracking = false;
                if (state->control != nullptr) state->control->OnMouseLeave();
            }
            return 0;
        case WM_LBUTTONDOWN:
            ::SetFocus(hwnd);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (state != nullptr && state->control != nullptr) {
                state->control->OnFocus(message == WM_SETFOCUS);
            }
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterCustomControlClass(const std::string& className) {
    static std::set<std::string> registered;
    if (className.empty() || !registered.insert(className).second) return;
    const std::wstring name = Wide(className);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &CustomProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name.c_str();
    ::RegisterClassExW(&wc);
}

// --- CCustomControl --------------------------------------------------------------------------

CCustomControl::~CCustomControl() {
    if (ControlState* state = widget_ != nullptr ? StateOf(widget_) : nullptr) {
        if (state->control == this) state->control = nullptr;
    }
}

BOOL CCustomControl::SubclassDlgItem(int id, CWnd* parent) {
    NativeHwnd hwnd = parent != nullptr && parent->GetWidget() != nullptr
                          ? ::GetDlgItem(parent->GetWidget(), id)
                          : nullptr;
    ControlState* state = hwnd != nullptr ? StateOf(hwnd) : nullptr;
    if (state == nullptr) return FALSE;  // not a custom control of this layer
    if (state->control != nullptr && state->control != this) state->control->Detach();
    Attach(hwnd);
    state->control = this;
    RECT client;
    ::GetClientRect(hwnd, &client);
    OnSize(client.right, client.bottom);
    return TRUE;
}

void CCustomControl::Invalidate() {
    if (widget_ != nullptr) ::InvalidateRect(widget_, nullptr, FALSE);
}

void CCustomControl::InvalidateRect(int x, int y, int cx, int cy) {
    if (widget_ == nullptr || cx <= 0 || cy <= 0) return;
    const RECT part{x, y, x + cx, y + cy};
    ::InvalidateRect(widget_, &part, FALSE);
}

int CCustomControl::ClientWidth() const {
    RECT client{};
    if (widget_ != nullptr) ::GetClientRect(widget_, &client);
    return client.right;
}

int CCustomControl::ClientHeight() const {
    RECT client{};
    if (widget_ != nullptr) ::GetClientRect(widget_, &client);
    return client.bottom;
}

TextExtent CCustomControl::GetTextExtent(const std::string& text) const {
    ControlState* state = widget_ != nullptr ? StateOf(widget_) : nullptr;
    if (state == nullptr) return {};
    HDC dc = ::GetDC(widget_);
    const HGDIOBJ old = state->font != nullptr ? ::SelectObject(dc, state->font) : nullptr;
    const std::wstring wide = Wide(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    if (old != nullptr) ::SelectObject(dc, old);
    ::ReleaseDC(widget_, dc);
    return {size.cx, std::max<int>(size.cy, metrics.tmHeight)};
}

namespace {

// The picture's pixels as a PNG file through the Windows imaging component.
bool WritePng(const std::wstring& path, const void* bits, int width, int height) {
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = false;
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IWICImagingFactory,
                                     reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)))) {
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        const UINT stride = static_cast<UINT>(width) * 4;
        ok = SUCCEEDED(frame->SetPixelFormat(&format)) &&
             IsEqualGUID(format, GUID_WICPixelFormat32bppBGR) &&
             SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), stride,
                                          stride * static_cast<UINT>(height),
                                          static_cast<BYTE*>(const_cast<void*>(bits)))) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    if (frame != nullptr) frame->Release();
    if (encoder != nullptr) encoder->Release();
    if (stream != nullptr) stream->Release();
    if (factory != nullptr) factory->Release();
    if (SUCCEEDED(init)) ::CoUninitialize();
    return ok;
}

}  // namespace

BOOL CCustomControl::SavePng(const std::string& path) {
    ControlState* state = widget_ != nullptr ? StateOf(widget_) : nullptr;
    if (state == nullptr) return FALSE;
    RECT client;
    ::GetClientRect(widget_, &client);
    HDC screen = ::GetDC(widget_);
    bool ok = false;
    {
        Picture picture(screen, client.right, client.bottom);
        if (picture.bits != nullptr) {
            PaintInto(widget_, *state, picture.dc, picture.width, picture.height);
            ::GdiFlush();
            ok = WritePng(Wide(path), picture.bits, picture.width, picture.height);
        }
    }
    ::ReleaseDC(widget_, screen);
    return ok ? TRUE : FALSE;
}
