#include "ui/assets.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include "runtime/encoding.h"
#include "runtime/win/dpi.h"
#include "wheel/canvas.h"
#include "wheel/png_decode.h"

namespace kelvra {

namespace {

constexpr int kMaxTextImageSide = 1024;

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

Image DecodeJpeg(std::string_view bytes) {
    Image out;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
        return out;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(
            stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                         static_cast<DWORD>(bytes.size()))))
        return out;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder)))
        return out;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) return out;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return out;
    UINT w = 0, h = 0;
    converter->GetSize(&w, &h);
    Image image(static_cast<int>(w), static_cast<int>(h));
    if (FAILED(converter->CopyPixels(nullptr, w * 4, w * h * 4,
                                     reinterpret_cast<BYTE*>(image.pixels.data()))))
        return out;
    return image;
}

}  // namespace

std::string_view ResourceBytes(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (info == nullptr) return {};
    HGLOBAL data = LoadResource(module, info);
    if (data == nullptr) return {};
    return {static_cast<const char*>(LockResource(data)), SizeofResource(module, info)};
}

namespace {

using SharedImage = std::shared_ptr<const Image>;

SharedImage Share(Image image) {
    return image.IsEmpty() ? nullptr : std::make_shared<const Image>(std::move(image));
}

Image Decode(Asset asset, bool master) {
    Image image;
    const wchar_t* name = nullptr;
    switch (asset) {
        case Asset::Plate:
            name = master ? L"PLATE2X_PNG" : L"PLATE_PNG";
            break;
        case Asset::Pointer:
            name = master ? L"POINTER2X_PNG" : L"POINTER_PNG";
            break;
        case Asset::Hub:
            name = master ? L"HUB2X_PNG" : L"HUB_PNG";
            break;
        case Asset::Sunburst:
            image = DecodeJpeg(ResourceBytes(L"SUNBURST_JPG"));
            // The platform decoder is needed again only for another size.
            CoFreeUnusedLibrariesEx(0, 0);
            return image;
        case Asset::None:
            return image;
    }
    const std::string_view bytes = ResourceBytes(name);
    DecodePng(bytes.data(), bytes.size(), image);
    return image;
}

}  // namespace

SharedImage SharedAssetImage(Asset asset) {
    // The background source is large and only ever shown stretched: it is not kept.
    if (asset == Asset::Sunburst) return Share(Decode(asset, false));
    static std::map<Asset, SharedImage> cache;
    auto it = cache.find(asset);
    if (it == cache.end()) it = cache.emplace(asset, Share(Decode(asset, false))).first;
    return it->second;
}

SharedImage SharedAssetImageAt(Asset asset, int w, int h) {
    SharedImage picture = SharedAssetImage(asset);
    if (picture == nullptr || (picture->width == w && picture->height == h)) return picture;
    static std::map<std::tuple<Asset, int, int>, SharedImage> cache;
    const auto key = std::make_tuple(asset, w, h);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    // The master is decoded for this size only and not kept.
    const Image master = Decode(asset, true);
    Image sized = master.IsEmpty() ? ScaleImage(*picture, w, h) : ReduceImage(master, w, h);
    return cache.emplace(key, Share(std::move(sized))).first->second;
}

Image StretchAssetImage(Asset asset, int w, int h) {
    const SharedImage picture = SharedAssetImage(asset);
    return picture != nullptr ? ScaleImage(*picture, w, h) : Image();
}

Image BakedAssetImage(Asset asset, int w, int h) {
    Image image;
    for (const BakedPicture& baked : kBakedPictures) {
        if (baked.asset != asset || baked.width != w || baked.height != h) continue;
        const std::string_view bytes = ResourceBytes(baked.resource);
        if (!DecodePng(bytes.data(), bytes.size(), image) || image.width != w || image.height != h)
            image = Image();
    }
    return image;
}

SharedImage ScaledAssetImage(Asset asset, int w, int h) {
    static std::map<std::tuple<Asset, int, int>, SharedImage> cache;
    const auto key = std::make_tuple(asset, w, h);
    auto it = cache.find(key);
    if (it == cache.end()) {
        Image image = BakedAssetImage(asset, w, h);
        if (image.IsEmpty()) image = StretchAssetImage(asset, w, h);
        it = cache.emplace(key, Share(std::move(image))).first;
    }
    return it->second;
}

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
