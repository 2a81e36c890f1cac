// The list view's colour swatches: the rows' small images, one solid square a colour, in an
// image list the list view owns.
#include "ui/win32/windows_api.h"

#include <cstring>

#include "ui/controls.h"

namespace {

constexpr int kSwatchSize = 12;

LRESULT Send(NativeHwnd hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return hwnd != nullptr ? ::SendMessageW(hwnd, message, wParam, lParam) : 0;
}

int ImageOf(NativeHwnd list, int row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (Send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) == 0) return I_IMAGENONE;
    return item.iImage;
}

// A 32-bit top-down DIB section of the swatch's size, selected into a memory DC.
struct SwatchBitmap {
    HDC dc = ::CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;

    SwatchBitmap() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kSwatchSize;
        info.bmiHeader.biHeight = -kSwatchSize;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap != nullptr) old = ::SelectObject(dc, bitmap);
    }
    ~SwatchBitmap() {
        if (old != nullptr) ::SelectObject(dc, old);
        if (bitmap != nullptr) ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    SwatchBitmap(const SwatchBitmap&) = delete;
    SwatchBitmap& operator=(const SwatchBitmap&) = delete;

    std::uint32_t* Pixels() { return static_cast<std::uint32_t*>(bits); }
};

}  // namespace

BOOL CListCtrl::SetItemSwatch(int row, std::uint32_t colour) {
    const int rows = GetItemCount();
    if (widget_ == nullptr || row < 0 || row >= rows) return FALSE;
    auto images = reinterpret_cast<HIMAGELIST>(Send(widget_, LVM_GETIMAGELIST, LVSIL_SMALL));
    if (images == nullptr) {
        // The list view destroys it with itself (no LVS_SHAREIMAGELISTS).
        images = ::ImageList_Create(kSwatchSize, kSwatchSize, ILC_COLOR32, rows, 8);
        if (images == nullptr) return FALSE;
        Send(widget_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
        // Rows inserted before there was an image list would show its first image.
        for (int other = 0; other < rows; ++other) {
            LVITEMW item{};
            item.mask = LVIF_IMAGE;
            item.iItem = other;
            item.iImage = I_IMAGENONE;
            Send(widget_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    SwatchBitmap swatch;
    if (swatch.bits == nullptr) return FALSE;
    std::uint32_t* pixels = swatch.Pixels();
    for (int i = 0; i < kSwatchSize * kSwatchSize; ++i) pixels[i] = colour | 0xFF000000u;
    ::GdiFlush();
    // The bitmap must not be selected into a DC while the image list copies it.
    ::SelectObject(swatch.dc, swatch.old);
    swatch.old = nullptr;
    int image = ImageOf(widget_, row);
    if (image >= 0 && image < ::ImageList_GetImageCount(images)) {
        if (!::ImageList_Replace(images, image, swatch.bitmap, nullptr)) return FALSE;
    } else {
        image = ::ImageList_Add(images, swatch.bitmap, nullptr);
        if (image < 0) return FALSE;
    }
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    return Send(widget_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0 ? TRUE : FALSE;
}

std::uint32_t CListCtrl::GetItemSwatch(int row) const {
    const auto images = reinterpret_cast<HIMAGELIST>(Send(widget_, LVM_GETIMAGELIST, LVSIL_SMALL));
    const int image = images != nullptr ? ImageOf(widget_, row) : I_IMAGENONE;
    if (image < 0 || image >= ::ImageList_GetImageCount(images)) return 0;
    // Drawn as the list view draws it, and read back from the middle.
    SwatchBitmap drawn;
    if (drawn.bits == nullptr) return 0;
    std::memset(drawn.bits, 0, sizeof(std::uint32_t) * kSwatchSize * kSwatchSize);
    if (!::ImageList_Draw(images, image, drawn.dc, 0, 0, ILD_NORMAL)) return 0;
    ::GdiFlush();
    return drawn.Pixels()[kSwatchSize / 2 * kSwatchSize + kSwatchSize / 2] | 0xFF000000u;
}
