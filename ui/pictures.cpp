#include "ui/pictures.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>

#include "runtime/layer_state.h"
#include "runtime/win/com.h"
#include "runtime/win/ole.h"
#include "ui/resources.h"
#include "ui/text_render.h"
#include "wheel/png_decode.h"

namespace kelvra {

namespace {

PictureCache& Cache() {
    return LayerState<PictureCache>();
}

struct PictureResources {
    const wchar_t* source = nullptr;
    const wchar_t* master = nullptr;  // at 200 %; sizes are reduced from it
    bool kept = true;
};

PictureResources ResourcesOf(Asset asset) {
    switch (asset) {
        case Asset::Plate:
            return {L"PLATE_PNG", L"PLATE2X_PNG"};
        case Asset::Pointer:
            return {L"POINTER_PNG", L"POINTER2X_PNG"};
        case Asset::Hub:
            return {L"HUB_PNG", L"HUB2X_PNG"};
        case Asset::Sunburst:
            return {L"SUNBURST_JPG", nullptr, false};
        case Asset::None:
            break;
    }
    return {};
}

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
    if (!UseComOnThisThread() ||
        FAILED(ole::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
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

Image Decode(const wchar_t* resource) {
    Image image;
    if (resource == nullptr) return image;
    const std::string_view bytes = ResourceBytes(resource);
    if (bytes.starts_with("\xFF\xD8")) {
        image = DecodeJpeg(bytes);
        // The platform decoder is needed again only for another size.
        ole::CoFreeUnusedLibrariesEx(0, 0);
    } else {
        DecodePng(bytes.data(), bytes.size(), image);
    }
    return image;
}

const BakedPicture* FindBaked(Asset asset, int w, int h) {
    for (const BakedPicture& baked : kBakedPictures)
        if (baked.asset == asset && baked.width == w && baked.height == h) return &baked;
    return nullptr;
}

// The entry of that text in `faces`; faces.end() when there is none.
TextFaces::iterator FindFace(TextFaces& faces, const std::string& text, const FontSpec& font,
                             uint32_t colour) {
    return std::find_if(faces.begin(), faces.end(),
                        [&](const auto& f) { return f.first == std::tie(text, font, colour); });
}

// A baked picture's pixels where they lie in the program; empty without one, or when they cannot
// be shown there (RawPicture).
PixelsView PixelsOfBaked(const BakedPicture* baked) {
    return baked != nullptr ? RawPicture(ResourceBytes(baked->resource)) : PixelsView();
}

// A baked picture as an image over its pixels where they lie in the program, or a copy of them
// when they cannot be shown there; empty without one.
Image ImageOfBaked(const BakedPicture* baked) {
    const PixelsView view = PixelsOfBaked(baked);
    if (!view.IsEmpty()) return LentImage(view);
    return baked != nullptr ? ImageFromRawPicture(ResourceBytes(baked->resource)) : Image();
}

// For any thread: the picture baked as `size` x `size` (the source or the master), its raw pixels
// where the program has them, without a copy; else decoded from `compressed` into `decoded`.
PixelsView RawOrDecoded(Asset asset, int size, const wchar_t* compressed, Image& decoded) {
    const PixelsView view = PixelsOfBaked(FindBaked(asset, size, size));
    if (!view.IsEmpty()) return view;
    decoded = Decode(compressed);
    return decoded;
}

// The source of a picture the program does not keep (the background), for any thread.
PixelsView UnkeptSource(Asset asset, Image& decoded) {
    return RawOrDecoded(asset, 0, ResourcesOf(asset).source, decoded);
}

std::shared_ptr<const Image> Share(Image image) {
    return image.IsEmpty() ? nullptr : std::make_shared<const Image>(std::move(image));
}

// Pure, for any thread: `source` is the picture at its source size.
std::shared_ptr<const Image> SizedFrom(Asset asset, std::shared_ptr<const Image> source, int w,
                                       int h) {
    if (source == nullptr || (source->width == w && source->height == h)) return source;
    // The master is read where it lies, or decoded for this size only and not kept.
    Image decoded;
    const PixelsView master = RawOrDecoded(asset, kBakedMaster, ResourcesOf(asset).master, decoded);
    return Share(master.IsEmpty() ? ScaleImage(*source, w, h) : ReduceImage(master, w, h));
}

// Pure, for any thread: a picture the program does not keep, at w x h.
std::shared_ptr<const Image> UnkeptSized(Asset asset, int w, int h) {
    Image decoded;
    const PixelsView source = UnkeptSource(asset, decoded);
    return source.IsEmpty() ? nullptr : Share(ScaleImage(source, w, h));
}

std::shared_ptr<const Image> Sized(Asset asset, int w, int h) {
    return ResourcesOf(asset).kept ? SizedFrom(asset, Picture(asset), w, h)
                                   : UnkeptSized(asset, w, h);
}

// Pure, for any thread: the widest or tallest part of the source of the shape of w x h,
// stretched to it.
std::shared_ptr<const Image> CoveringFrom(PixelsView source, int w, int h) {
    if (source.IsEmpty() || w <= 0 || h <= 0) return nullptr;
    const int64_t sw = source.width, sh = source.height;
    const bool wider = sw * h > sh * w;
    const int cutW = std::max(1, static_cast<int>(wider ? (sh * w + h / 2) / h : sw));
    const int cutH = std::max(1, static_cast<int>(wider ? sh : (sw * h + w / 2) / w));
    const int left = (source.width - cutW) / 2, top = (source.height - cutH) / 2;
    const uint32_t* first = source.pixels + static_cast<size_t>(top) * source.width;
    // Whole rows are a view of the source; a cut across them is copied out.
    if (cutW == source.width) return Share(ScaleImage(PixelsView(cutW, cutH, first), w, h));
    Image cut(cutW, cutH);
    for (int y = 0; y < cutH; y++)
        std::copy_n(first + static_cast<size_t>(y) * source.width + left, cutW,
                    cut.pixels.begin() + static_cast<ptrdiff_t>(y) * cutW);
    return Share(ScaleImage(cut, w, h));
}

// Pure, for any thread.
std::shared_ptr<const Image> CoveringOf(Asset asset, const std::shared_ptr<const Image>& kept,
                                        int w, int h) {
    if (kept != nullptr) return CoveringFrom(*kept, w, h);
    Image decoded;
    return CoveringFrom(UnkeptSource(asset, decoded), w, h);
}

// The prepared picture, once it is done; null when none was prepared.
std::shared_ptr<const Image> TakePrepared(Asset asset, int w, int h, bool covering) {
    auto& prepared = Cache().prepared;
    const auto it = prepared.find(std::make_tuple(asset, w, h, covering));
    if (it == prepared.end()) return nullptr;
    std::shared_ptr<const Image> made = it->second.get();
    prepared.erase(it);
    return made;
}

Image Baked(Asset asset, int w, int h) {
    const BakedPicture* baked = FindBaked(asset, w, h);
    Image image = ImageOfBaked(baked);
    return image.width == w && image.height == h ? image : Image();
}

}  // namespace

Image DecodedSource(Asset asset) {
    return Decode(ResourcesOf(asset).source);
}

Image DecodedMaster(Asset asset) {
    return Decode(ResourcesOf(asset).master);
}

std::shared_ptr<const Image> Picture(Asset asset) {
    const PictureResources resources = ResourcesOf(asset);
    if (!resources.kept) {
        // Its raw pixels where they lie, or the decoded picture itself.
        Image decoded;
        const PixelsView source = UnkeptSource(asset, decoded);
        return Share(decoded.IsEmpty() ? LentImage(source) : std::move(decoded));
    }
    auto& sources = Cache().sources;
    auto it = sources.find(asset);
    if (it == sources.end()) {
        // Its raw pixels where the program has them, else decoded.
        Image source = ImageOfBaked(FindBaked(asset, 0, 0));
        if (source.IsEmpty()) source = DecodedSource(asset);
        it = sources.emplace(asset, Share(std::move(source))).first;
    }
    return it->second;
}

std::shared_ptr<const Image> PictureAt(Asset asset, int w, int h) {
    auto& sizes = Cache().sizes;
    std::erase_if(sizes, [](const auto& size) { return size.second.expired(); });
    std::weak_ptr<const Image>& kept = sizes[std::make_tuple(asset, w, h)];
    if (std::shared_ptr<const Image> shown = kept.lock()) return shown;
    std::shared_ptr<const Image> made = TakePrepared(asset, w, h, false);
    if (made == nullptr) {
        Image baked = Baked(asset, w, h);
        made = baked.IsEmpty() ? Sized(asset, w, h) : Share(std::move(baked));
    }
    kept = made;
    return made;
}

std::shared_ptr<const Image> PictureCovering(Asset asset, int w, int h) {
    auto& coverings = Cache().coverings;
    std::erase_if(coverings, [](const auto& covering) { return covering.second.expired(); });
    std::weak_ptr<const Image>& kept = coverings[std::make_tuple(asset, w, h)];
    if (std::shared_ptr<const Image> shown = kept.lock()) return shown;
    std::shared_ptr<const Image> made = TakePrepared(asset, w, h, true);
    if (made == nullptr)
        made = CoveringOf(asset, ResourcesOf(asset).kept ? Picture(asset) : nullptr, w, h);
    kept = made;
    return made;
}

void PreparePictures(const std::vector<WantedPicture>& wanted,
                     const std::vector<WantedText>& texts) {
    DropPreparedPictures();
    PictureCache& cache = Cache();
    struct Work {
        WantedPicture want;
        std::shared_ptr<const Image> source;
        std::promise<std::shared_ptr<const Image>> made;
    };
    std::vector<Work> work;
    for (const WantedPicture& want : wanted) {
        const auto key = std::make_tuple(want.asset, want.width, want.height);
        const auto& made = want.covering ? cache.coverings : cache.sizes;
        const auto shown = made.find(key);
        if ((shown != made.end() && !shown->second.expired()) || want.asset == Asset::None ||
            want.width <= 0 || want.height <= 0 ||
            (!want.covering && FindBaked(want.asset, want.width, want.height) != nullptr) ||
            std::any_of(work.begin(), work.end(), [&](const Work& w) {
                return std::tie(w.want.asset, w.want.width, w.want.height, w.want.covering) ==
                       std::tie(want.asset, want.width, want.height, want.covering);
            }))
            continue;
        // A source the program keeps is taken here, from the cache; one it does not keep is
        // read by the thread.
        work.push_back({want, ResourcesOf(want.asset).kept ? Picture(want.asset) : nullptr, {}});
    }
    // The texts are drawn by whichever thread is free, each once.
    struct TextWork {
        WantedText want;
        std::promise<Image> face;
    };
    struct Texts {
        std::vector<TextWork> work;
        std::atomic<size_t> next{0};
    };
    auto queue = std::make_shared<Texts>();
    for (const WantedText& want : texts)
        if (std::none_of(queue->work.begin(), queue->work.end(),
                         [&](const TextWork& t) {
                             return std::tie(t.want.text, t.want.font, t.want.colour) ==
                                    std::tie(want.text, want.font, want.colour);
                         }) &&
            FindFace(cache.textsAhead, want.text, want.font, want.colour) == cache.textsAhead.end())
            queue->work.push_back({want, {}});
    TextFaces faces;
    for (TextWork& t : queue->work)
        faces.emplace_back(std::make_tuple(t.want.text, t.want.font, t.want.colour),
                           t.face.get_future().share());
    // Two threads: the backgrounds covering a size (the largest pictures, from the largest
    // source) on one, the rest in their order on the other; then both draw the texts.
    bool started = false;
    for (const bool covering : {true, false}) {
        std::vector<Work> group;
        for (Work& w : work)
            if (w.want.covering == covering) group.push_back(std::move(w));
        if (group.empty() && (started || !covering || queue->work.empty())) continue;
        std::vector<std::pair<std::tuple<Asset, int, int, bool>,
                              std::shared_future<std::shared_ptr<const Image>>>>
            futures;
        for (Work& w : group)
            futures.emplace_back(
                std::make_tuple(w.want.asset, w.want.width, w.want.height, w.want.covering),
                w.made.get_future().share());
        try {
            cache.preparing.push_back(std::async(std::launch::async, [group = std::move(group),
                                                                      queue]() mutable {
                for (Work& w : group) {
                    w.made.set_value(w.want.covering ? CoveringOf(w.want.asset, w.source,
                                                                  w.want.width, w.want.height)
                                     : ResourcesOf(w.want.asset).kept
                                         ? SizedFrom(w.want.asset, std::move(w.source),
                                                     w.want.width, w.want.height)
                                         : UnkeptSized(w.want.asset, w.want.width, w.want.height));
                }
                for (size_t i; (i = queue->next++) < queue->work.size();) {
                    TextWork& t = queue->work[i];
                    t.face.set_value(RenderTextImage(t.want.text, t.want.font, t.want.colour));
                }
            }));
        } catch (const std::exception&) {
            continue;  // no thread: the layout makes these itself
        }
        started = true;
        cache.prepared.insert(futures.begin(), futures.end());
    }
    // Drawn by a thread that started, else where they are asked for.
    if (started) cache.preparedTexts = std::move(faces);
}

void DropPreparedPictures() {
    PictureCache& cache = Cache();
    cache.prepared.clear();
    cache.preparedTexts.clear();
    for (std::future<void>& thread : cache.preparing) thread.wait();
    cache.preparing.clear();
}

void DrawTextsAhead(const std::vector<WantedText>& texts, bool drawMissing) {
    PictureCache& cache = Cache();
    TextFaces ahead;
    for (const WantedText& want : texts) {
        if (FindFace(ahead, want.text, want.font, want.colour) != ahead.end()) continue;
        // One drawn ahead before and still wanted is kept.
        const auto kept = FindFace(cache.textsAhead, want.text, want.font, want.colour);
        if (kept != cache.textsAhead.end()) {
            ahead.push_back(*kept);
            continue;
        }
        if (!drawMissing) continue;
        // Drawn here, not on a thread of their own: a thread's first drawing costs more memory
        // than its texts.
        std::promise<Image> face;
        face.set_value(RenderTextImage(want.text, want.font, want.colour));
        ahead.emplace_back(std::make_tuple(want.text, want.font, want.colour),
                           face.get_future().share());
    }
    cache.textsAhead = std::move(ahead);
}

Image PreparedTexts(const std::string& gbkText, const FontSpec& font, uint32_t colour) {
    PictureCache& cache = Cache();
    for (TextFaces* made : {&cache.preparedTexts, &cache.textsAhead}) {
        const auto it = FindFace(*made, gbkText, font, colour);
        if (it == made->end()) continue;
        Image face = it->second.get();
        made->erase(it);
        return face;
    }
    return RenderTextImage(gbkText, font, colour);
}

PixelsView BakedPixels(Asset asset, int w, int h) {
    const PixelsView view = PixelsOfBaked(FindBaked(asset, w, h));
    return view.width == w && view.height == h ? view : PixelsView();
}

Image MakePictureAt(Asset asset, int w, int h) {
    const std::shared_ptr<const Image> picture = Sized(asset, w, h);
    return picture != nullptr ? *picture : Image();
}

}  // namespace kelvra
