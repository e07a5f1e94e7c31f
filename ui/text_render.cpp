#include "ui/text_render.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <vector>

#include "runtime/encoding.h"
#include "runtime/win/dpi.h"
#include "wheel/canvas.h"
#include "wheel/text_ink.h"

namespace kelvra {

namespace {

constexpr int kMaxTextImageSide = 1024;
// The large glyphs are drawn this many label rows at a time, which bounds the drawing's memory.
constexpr int kInkBandRows = 64;

struct TextLayout {
    std::vector<std::wstring> lines;
    std::vector<int> tops;
    // Per line, how far each character's cell begins after the one before it.
    std::vector<std::vector<int>> advances;
    int ascent = 0;
    int lineHeight = 0;
    int width = 0;
    int height = 0;
};

TextLayout MeasureText(HDC dc, const std::vector<std::string>& lines) {
    TextLayout layout;
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    layout.ascent = tm.tmAscent;
    layout.lineHeight = tm.tmHeight;
    for (const std::string& line : lines) {
        std::wstring& wide = layout.lines.emplace_back(GbkToWide(line));
        std::vector<int> ends(wide.size());
        SIZE s{0, tm.tmHeight};
        if (!wide.empty())
            GetTextExtentExPointW(dc, wide.c_str(), static_cast<int>(wide.size()), 0, nullptr,
                                  ends.data(), &s);
        std::vector<int>& advances = layout.advances.emplace_back(ends.size());
        for (size_t i = 0; i < ends.size(); ++i) advances[i] = ends[i] - (i ? ends[i - 1] : 0);
        s.cy = std::max<LONG>(s.cy, tm.tmHeight);
        if (!layout.tops.empty()) layout.height += kTextLineGap;
        layout.tops.push_back(layout.height);
        layout.width = std::max<int>(layout.width, s.cx);
        layout.height += s.cy;
    }
    // A text far wider than any canvas (a hand-made file may hold a name of 10239 bytes) is cut
    // where nothing could show it anyway; turned, the full picture would not fit in memory.
    layout.width = std::min(layout.width, kMaxTextImageSide);
    layout.height = std::min(layout.height, kMaxTextImageSide);
    return layout;
}

// The layout's text in the large font selected into dc, white on black, band by band, reduced
// into `label`. Each character starts where it starts at the label's size, on the same baseline;
// a turned font has no baseline along the rows, and its lines start at their tops as they do there.
void DrawInk(HDC dc, const TextLayout& layout, bool alongRows, uint32_t colour, Image& label) {
    constexpr int n = kInkOversampling;
    // Bands of one height: a label a row taller than a band is drawn as two halves, not as a
    // whole band and then a band for its last row.
    const int bands = (layout.height + kInkBandRows - 1) / kInkBandRows;
    const int bandRows = (layout.height + bands - 1) / bands;
    // One row more above and below each band, which the filter reaches into.
    const int maskRows = (bandRows + 2) * n;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = layout.width * n;
    bi.bmiHeader.biHeight = -maskRows;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp == nullptr) return;
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    SetTextAlign(dc, alongRows ? TA_BASELINE | TA_LEFT : TA_TOP | TA_LEFT);
    InkMask mask;
    mask.width = layout.width * n;
    mask.height = maskRows;
    mask.coverage.resize(static_cast<size_t>(mask.width) * mask.height);
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int top = 0; top < layout.height; top += bandRows) {
        mask.top = top - 1;
        std::memset(bits, 0, mask.coverage.size() * 4);
        for (size_t i = 0; i < layout.lines.size(); ++i) {
            const std::wstring& line = layout.lines[i];
            if (line.empty()) continue;
            std::vector<int> dx = layout.advances[i];
            for (int& d : dx) d *= n;
            const int y = (layout.tops[i] + (alongRows ? layout.ascent : 0) - mask.top) * n;
            ExtTextOutW(dc, 0, y, 0, nullptr, line.c_str(), static_cast<UINT>(line.size()),
                        alongRows ? dx.data() : nullptr);
        }
        GdiFlush();
        for (size_t i = 0; i < mask.coverage.size(); ++i)
            mask.coverage[i] = static_cast<uint8_t>(pixels[i] >> 8);
        PutInk(label, top, top + bandRows, mask, colour);
    }
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
}

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

SIZE TextImageSize(const std::string& gbkText, const FontSpec& font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT created = CreateFontFor(font, NONANTIALIASED_QUALITY);
    HGDIOBJ oldFont = SelectObject(dc, created ? created : GetStockObject(DEFAULT_GUI_FONT));
    const TextLayout layout = MeasureText(dc, SplitTextLines(gbkText));
    SelectObject(dc, oldFont);
    if (created) DeleteObject(created);
    DeleteDC(dc);
    return {layout.width, layout.height};
}

RECT TextInkBox(const std::string& gbkText, const FontSpec& font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT created = CreateFontFor(font, NONANTIALIASED_QUALITY);
    HGDIOBJ oldFont = SelectObject(dc, created ? created : GetStockObject(DEFAULT_GUI_FONT));
    const TextLayout layout = MeasureText(dc, SplitTextLines(gbkText));
    RECT ink{0, 0, 0, 0};
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        int x = 0;
        for (size_t j = 0; j < layout.lines[i].size(); x += layout.advances[i][j++]) {
            GLYPHMETRICS gm{};
            // A blank has a box of one pixel but no ink.
            if (iswspace(layout.lines[i][j]) ||
                GetGlyphOutlineW(dc, layout.lines[i][j], GGO_METRICS, &gm, 0, nullptr, &identity) ==
                    GDI_ERROR)
                continue;
            const RECT glyph{x + gm.gmptGlyphOrigin.x,
                             layout.tops[i] + layout.ascent - gm.gmptGlyphOrigin.y,
                             x + gm.gmptGlyphOrigin.x + static_cast<int>(gm.gmBlackBoxX),
                             layout.tops[i] + layout.ascent - gm.gmptGlyphOrigin.y +
                                 static_cast<int>(gm.gmBlackBoxY)};
            UnionRect(&ink, &ink, &glyph);
        }
    }
    SelectObject(dc, oldFont);
    if (created) DeleteObject(created);
    DeleteDC(dc);
    return ink;
}

Image RenderTextImage(const std::string& gbkText, const FontSpec& font, uint32_t colour) {
    HDC dc = CreateCompatibleDC(nullptr);
    // Measured in hard-edged glyphs at the label's size: those fix the label's size and where each
    // character stands, however the glyphs are then drawn.
    HFONT created = CreateFontFor(font, NONANTIALIASED_QUALITY);
    HGDIOBJ oldFont = SelectObject(dc, created ? created : GetStockObject(DEFAULT_GUI_FONT));
    const TextLayout layout = MeasureText(dc, SplitTextLines(gbkText));
    Image image;
    HFONT largeFont = nullptr;
    if (layout.width > 0 && layout.height > 0) {
        image = Image(layout.width, layout.height);
        LOGFONTW large{};
        GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof large, &large);
        large.lfHeight =
            (large.lfHeight != 0 ? large.lfHeight : layout.lineHeight) * kInkOversampling;
        large.lfWidth *= kInkOversampling;
        large.lfQuality = NONANTIALIASED_QUALITY;
        largeFont = CreateFontIndirectW(&large);
        if (largeFont != nullptr) {
            SelectObject(dc, largeFont);
            DrawInk(dc, layout, large.lfEscapement == 0, colour, image);
        }
    }
    SelectObject(dc, oldFont);
    if (largeFont) DeleteObject(largeFont);
    if (created) DeleteObject(created);
    DeleteDC(dc);
    return image;
}

}  // namespace kelvra
