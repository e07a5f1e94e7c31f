#include "ui/text_render.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/encoding.h"
#include "runtime/win/dpi.h"
#include "wheel/canvas.h"

namespace kelvra {

namespace {

constexpr int kMaxTextImageSide = 1024;

}  // namespace

FontSpec DefaultGuiFont() {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    FontSpec f;
    f.set = true;
    f.height = MulDiv(lf.lfHeight, 96, SystemDpi());
    f.weight = lf.lfWeight;
    f.italic = lf.lfItalic != 0;
    f.underline = lf.lfUnderline != 0;
    f.strikeOut = lf.lfStrikeOut != 0;
    f.escapement = lf.lfEscapement;
    f.face = WideToGbk(lf.lfFaceName);
    return f;
}

HFONT CreateFontFor(const FontSpec& font, BYTE quality) {
    if (!font.set) return nullptr;
    LOGFONTW lf{};
    lf.lfHeight = font.height;
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikeOut;
    lf.lfEscapement = lf.lfOrientation = font.escapement;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = quality;
    const std::wstring face = GbkToWide(font.face);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

Image RenderTextImage(const std::string& gbkText, const FontSpec& font, uint32_t colour) {
    const std::vector<std::string> lines = SplitTextLines(gbkText);
    HDC dc = CreateCompatibleDC(nullptr);
    // Unsmoothed glyphs: the key-colour rule turns every touched pixel into full text colour.
    HFONT created = CreateFontFor(font, NONANTIALIASED_QUALITY);
    HGDIOBJ oldFont = SelectObject(dc, created ? created : GetStockObject(DEFAULT_GUI_FONT));
    std::vector<std::wstring> wide;
    std::vector<SIZE> sizes;
    int width = 0, height = 0;
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    for (const std::string& line : lines) {
        wide.push_back(GbkToWide(line));
        SIZE s{0, tm.tmHeight};
        if (!wide.back().empty())
            GetTextExtentPoint32W(dc, wide.back().c_str(), static_cast<int>(wide.back().size()),
                                  &s);
        s.cy = std::max<LONG>(s.cy, tm.tmHeight);
        sizes.push_back(s);
        width = std::max<int>(width, s.cx);
        height += s.cy;
    }
    if (lines.size() > 1) height += kTextLineGap * static_cast<int>(lines.size() - 1);
    // A text far wider than any canvas (a hand-made file may hold a name of 10239 bytes) is cut
    // where nothing could show it anyway; turned, the full picture would not fit in memory.
    width = std::min(width, kMaxTextImageSide);
    height = std::min(height, kMaxTextImageSide);
    Image image;
    if (width > 0 && height > 0) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bmp != nullptr) {
            HGDIOBJ oldBmp = SelectObject(dc, bmp);
            const uint32_t key = KeyColourFor(colour);
            HBRUSH keyBrush = CreateSolidBrush(key);
            RECT all{0, 0, width, height};
            FillRect(dc, &all, keyBrush);
            DeleteObject(keyBrush);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, colour);
            int y = 0;
            for (size_t i = 0; i < wide.size(); ++i) {
                TextOutW(dc, 0, y, wide[i].c_str(), static_cast<int>(wide[i].size()));
                y += sizes[i].cy + kTextLineGap;
            }
            GdiFlush();
            image = Image(width, height);
            std::memcpy(image.pixels.data(), bits, static_cast<size_t>(width) * height * 4);
            ApplyKeyColour(image, colour);
            SelectObject(dc, oldBmp);
            DeleteObject(bmp);
        }
    }
    SelectObject(dc, oldFont);
    if (created) DeleteObject(created);
    DeleteDC(dc);
    return image;
}

}  // namespace kelvra
