// The trend window on native Win32 windows (run under Wine): the same dialog, chart and layout
// as on Linux, the chart painted by GDI and exported as PNG through the Windows imaging
// component, read back here through it.
#define HWND NativeHwnd
#define NMHDR NativeNmhdr
#define NMUPDOWN NativeNmUpDown
#define NMLISTVIEW NativeNmListView
#include <windows.h>
#include <wincodec.h>
#undef NMLISTVIEW
#include "ui/win32/windows_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <variant>
#include <vector>

#include "link/temp_word.h"
#include "res/resource.h"
#include "tests/trend/chart_range.h"
#include "trend/chart_paint.h"
#include "trend/trend_dialog.h"
#include "trend/trend_store.h"
#include "trend/trend_window.h"
#include "ui/testing/scoped_hooks.h"

namespace {

constexpr long long kStartMs = 1'800'000'000'000;  // a fixed moment in 2027

bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, 0, 10, QS_ALLINPUT);
    }
    return true;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row after row
    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// A PNG file's pixels, decoded by the imaging component; empty when it cannot be read.
Picture ReadPng(const std::filesystem::path& path) {
    Picture picture;
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT width = 0, height = 0;
    if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(path.wstring().c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA,
                                        WICBitmapDitherTypeNone, nullptr, 0,
                                        WICBitmapPaletteTypeCustom))) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
        if (SUCCEEDED(converter->CopyPixels(nullptr, width * 4,
                                            static_cast<UINT>(pixels.size() * 4),
                                            reinterpret_cast<BYTE*>(pixels.data())))) {
            picture = {static_cast<int>(width), static_cast<int>(height), std::move(pixels)};
        }
    }
    if (converter != nullptr) converter->Release();
    if (frame != nullptr) frame->Release();
    if (decoder != nullptr) decoder->Release();
    if (factory != nullptr) factory->Release();
    if (SUCCEEDED(init)) ::CoUninitialize();
    return picture;
}

class TrendWin32Test : public testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("k7r2_trend_" + std::to_string(::GetCurrentProcessId()));
        std::filesystem::create_directories(dir);
        window.Open(owner, dir.string());
        ASSERT_NE(Dialog(), nullptr);
    }
    void TearDown() override {
        window.Close();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    CTrendDlg* Dialog() { return window.Dialog(); }
    TrendChartControl& Chart() { return Dialog()->Chart(); }
    const ChartLayout& Layout() { return Chart().Layout(); }
    CListCtrl& List() { return *static_cast<CListCtrl*>(Dialog()->GetDlgItem(IDC_TREND_CHANNELS)); }
    NativeHwnd Item(int id) { return ::GetDlgItem(Dialog()->GetWidget(), id); }
    void Click(int id) { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // Readings a second apart: the PT100 inputs at 20.0 and `probes` probes at 21.0 + i / 10.
    void Add(int count, int probes) {
        for (int i = 0; i < count; ++i, ++added) {
            Reading r;
            r.time = std::chrono::system_clock::time_point(
                std::chrono::milliseconds(kStartMs + 1000LL * added));
            for (int k = 0; k < kReadingPt100s; ++k) r.words.push_back(TempWordFromTenths(200));
            for (int p = 0; p < probes; ++p) r.words.push_back(TempWordFromTenths(210 + i));
            store.Add(r);
        }
        const int redraws = Dialog()->ChartRedraws();
        window.StoreChanged();
        ASSERT_TRUE(PumpUntil([&] { return Dialog()->ChartRedraws() > redraws; }));
    }

    std::filesystem::path dir;
    CWnd owner;
    TrendStore store;
    TrendWindow window{store};
    int added = 0;
    uitest::MessageBoxRecorder boxes;
};

TEST_F(TrendWin32Test, ChannelCheckBoxesSwatchesSpansPauseAndHover) {
    EXPECT_EQ(Dialog()->GetWindowText(), "温度趋势");
    ASSERT_EQ(List().GetItemCount(), kReadingChannels);
    for (int channel = 0; channel < kReadingChannels; ++channel) {
        EXPECT_EQ(List().GetItemSwatch(channel), ChannelColour(channel) | 0xFF000000u) << channel;
    }
    Add(120, 2);
    EXPECT_TRUE(List().GetCheck(5));
    EXPECT_FALSE(List().GetCheck(6)) << "probe 3 never had a value";
    EXPECT_EQ(List().GetItemText(4, 5), "120");
    const long long newest = kStartMs + 119'000;
    // A range laid out for a plot whose width its own labels then change is drawn again.
    const auto shows = [&](long long spanMs, long long last) {
        PumpUntil([&] { return bool(ShowsSpanUpTo(Layout(), spanMs, last)); });
        return ShowsSpanUpTo(Layout(), spanMs, last);
    };
    EXPECT_TRUE(shows(600'000, newest));
    Click(IDC_TREND_SPAN_1MIN);
    EXPECT_TRUE(shows(60'000, newest));
    ASSERT_NE(Chart().LineOf(4), nullptr);

    // A click on a row's check box takes its line off the chart, and a second puts it back.
    const auto clickCheck = [&](int row) {
        RECT label{};
        label.left = LVIR_LABEL;
        ::SendMessageW(Item(IDC_TREND_CHANNELS), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&label));
        LVHITTESTINFO hit{};
        for (int x = 1; x < label.left; ++x) {  // the state image lies left of the swatch
            hit.pt = {x, (label.top + label.bottom) / 2};
            ::SendMessageW(Item(IDC_TREND_CHANNELS), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if ((hit.flags & LVHT_ONITEMSTATEICON) != 0) break;
        }
        ASSERT_NE(hit.flags & LVHT_ONITEMSTATEICON, 0u) << "no check box in row " << row;
        const LPARAM at = MAKELPARAM(hit.pt.x, hit.pt.y);
        ::SendMessageW(Item(IDC_TREND_CHANNELS), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(Item(IDC_TREND_CHANNELS), WM_LBUTTONUP, 0, at);
    };
    clickCheck(5);
    EXPECT_TRUE(PumpUntil([&] { return Chart().LineOf(5) == nullptr; }));
    EXPECT_FALSE(List().GetCheck(5));
    clickCheck(5);
    EXPECT_TRUE(PumpUntil([&] { return Chart().LineOf(5) != nullptr; }));

    Click(IDC_TREND_PAUSE);
    EXPECT_EQ(Dialog()->GetDlgItem(IDC_TREND_PAUSE)->GetWindowText(), "继续");
    for (int i = 0; i < 3; ++i, ++added) {
        Reading r;
        r.time = std::chrono::system_clock::time_point(
            std::chrono::milliseconds(kStartMs + 1000LL * added));
        for (int k = 0; k < kReadingPt100s + 2; ++k) r.words.push_back(TempWordFromTenths(250));
        store.Add(r);
    }
    window.StoreChanged();
    EXPECT_TRUE(PumpUntil([&] { return List().GetItemText(4, 5) == "123"; }))
        << "the statistics go on";
    EXPECT_TRUE(shows(60'000, newest)) << "the chart stays";
    Click(IDC_TREND_PAUSE);
    EXPECT_TRUE(shows(60'000, newest + 3000));

    // The pointer on a line's point labels it.
    const RasterPoint onLine = Chart().Position(Chart().LineOf(0)->points.front());
    ::SendMessageW(Item(IDC_TREND_CHART), WM_MOUSEMOVE, 0,
                   MAKELPARAM(static_cast<int>(onLine.x), static_cast<int>(onLine.y)));
    EXPECT_EQ(Chart().HoverLabel().rfind("PT100温度", 0), 0u) << Chart().HoverLabel();
}

// With GDI's fonts the layout measures its own texts: the labels keep apart, and the control
// paints exactly the primitives laid out.
TEST_F(TrendWin32Test, TheLayoutFitsGdisTextsAndNoLabelOverlapsAnother) {
    Add(600, 4);
    const ChartLayout& layout = Layout();
    std::vector<PixelBox> boxes;
    for (const ChartPrimitive& primitive : layout.primitives) {
        if (const auto* text = std::get_if<TextPrimitive>(&primitive)) {
            const TextExtent extent = Chart().GetTextExtent(text->text);
            EXPECT_GT(extent.cx, 0) << text->text;
            EXPECT_EQ(text->box.width, extent.cx) << text->text;
            boxes.push_back(text->box);
        }
    }
    ASSERT_GE(boxes.size(), 6u) << "titles and labels";
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            const PixelBox& a = boxes[i];
            const PixelBox& b = boxes[j];
            const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x ||
                               a.y + a.height <= b.y || b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << i << " and " << j;
        }
    }
}

TEST_F(TrendWin32Test, ExportWritesTheChartAsPngAndReportsAFailure) {
    Add(10, 4);
    const std::filesystem::path chosen = dir / "trend.png";
    FileDialogRequest request;
    std::string answer = chosen.string();
    uitest::ScopedFileDialogHook hook([&](const FileDialogRequest& r) {
        request = r;
        return std::optional<std::string>(answer);
    });
    Click(IDC_TREND_EXPORT);
    EXPECT_FALSE(request.open);
    EXPECT_EQ(request.fileName.rfind((dir / "K7R2_trend_").string(), 0), 0u) << request.fileName;
    const Picture picture = ReadPng(chosen);
    ASSERT_GT(picture.width, 0) << "no PNG at " << chosen.string();
    EXPECT_EQ(picture.width, Chart().ClientWidth());
    EXPECT_EQ(picture.height, Chart().ClientHeight());
    // GDI drew the lines' image where the layout put it: PT100温度4 is the last flat line drawn.
    const RasterPoint p = Chart().Position(Chart().LineOf(3)->points.front());
    EXPECT_EQ(picture.At(static_cast<int>(p.x), static_cast<int>(p.y)) & 0xFFFFFFu,
              ChannelColour(3) & 0xFFFFFFu);
    // Every text of the layout was drawn into its box: titles and labels are in the picture.
    int texts = 0;
    for (const ChartPrimitive& primitive : Layout().primitives) {
        const auto* text = std::get_if<TextPrimitive>(&primitive);
        if (text == nullptr) continue;
        ++texts;
        int ink = 0;
        for (int y = text->box.y; y < text->box.y + text->box.height; ++y) {
            for (int x = text->box.x; x < text->box.x + text->box.width; ++x) {
                ink += (picture.At(x, y) & 0xFFFFFFu) != 0xFFFFFFu;
            }
        }
        EXPECT_GT(ink, 0) << text->text;
    }
    EXPECT_GE(texts, 6);
    EXPECT_EQ(boxes.Count(), 0u);

    answer = (dir / "missing" / "trend.png").string();
    Click(IDC_TREND_EXPORT);
    EXPECT_EQ(boxes.Last().text, "图片保存失败!");
}

}  // namespace
