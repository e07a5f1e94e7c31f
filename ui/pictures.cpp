#include "ui/pictures.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>

#include "runtime/layer_state.h"
#include "runtime/win/com.h"
#include "runtime/win/ole.h"
#include "ui/resources.h"
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

std::shared_ptr<const Image> Share(Image image) {
    return image.IsEmpty() ? nullptr : std::make_shared<const Image>(std::move(image));
}

// Pure, for any thread: `source` is the picture at its source size.
std::shared_ptr<const Image> SizedFrom(Asset asset, std::shared_ptr<const Image> source, int w,
                                       int h) {
    if (source == nullptr || (source->width == w && source->height == h)) return source;
    // The master is decoded for this size only and not kept.
    const Image master = Decode(ResourcesOf(asset).master);
    return Share(master.IsEmpty() ? ScaleImage(*source, w, h) : ReduceImage(master, w, h));
}

std::shared_ptr<const Image> Sized(Asset asset, int w, int h) {
    return SizedFrom(asset, Picture(asset), w, h);
}

// Pure, for any thread: the widest or tallest part of the source of the shape of w x h,
// stretched to it.
std::shared_ptr<const Image> CoveringFrom(std::shared_ptr<const Image> source, int w, int h) {
    if (source == nullptr || w <= 0 || h <= 0) return nullptr;
    const int64_t sw = source->width, sh = source->height;
    const int cutW = static_cast<int>(sw * h > sh * w ? (sh * w + h / 2) / h : sw);
    const int cutH = static_cast<int>(sw * h > sh * w ? sh : (sw * h + w / 2) / w);
    Image cut(std::max(1, cutW), std::max(1, cutH));
    Compose(cut, *source, -(source->width - cut.width) / 2, -(source->height - cut.height) / 2,
            Rect{0, 0, cut.width, cut.height});
    return Share(ScaleImage(cut, w, h));
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

const BakedPicture* FindBaked(Asset asset, int w, int h) {
    for (const BakedPicture& baked : kBakedPictures)
        if (baked.asset == asset && baked.width == w && baked.height == h) return &baked;
    return nullptr;
}

Image Baked(Asset asset, int w, int h) {
    const BakedPicture* baked = FindBaked(asset, w, h);
    Image image = baked != nullptr ? ImageFromRawPicture(ResourceBytes(baked->resource)) : Image();
    return image.width == w && image.height == h ? image : Image();
}

}  // namespace

Image DecodedSource(Asset asset) {
    return Decode(ResourcesOf(asset).source);
}

std::shared_ptr<const Image> Picture(Asset asset) {
    const PictureResources resources = ResourcesOf(asset);
    if (!resources.kept) return Share(Decode(resources.source));
    auto& sources = Cache().sources;
    auto it = sources.find(asset);
    if (it == sources.end()) {
        // Copied from its raw pixels where the program has them, else decoded.
        const BakedPicture* raw = FindBaked(asset, 0, 0);
        Image source = raw != nullptr ? ImageFromRawPicture(ResourceBytes(raw->resource)) : Image();
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
    if (made == nullptr) made = CoveringFrom(Picture(asset), w, h);
    kept = made;
    return made;
}

void PreparePictures(const std::vector<WantedPicture>& wanted) {
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
        // decoded by the thread.
        work.push_back({want, ResourcesOf(want.asset).kept ? Picture(want.asset) : nullptr, {}});
    }
    // Two threads: the backgrounds covering a size (the largest pictures, from the largest
    // source) on one, the rest in their order on the other.
    for (const bool covering : {true, false}) {
        std::vector<Work> group;
        for (Work& w : work)
            if (w.want.covering == covering) group.push_back(std::move(w));
        if (group.empty()) continue;
        std::vector<std::pair<std::tuple<Asset, int, int, bool>,
                              std::shared_future<std::shared_ptr<const Image>>>>
            futures;
        for (Work& w : group)
            futures.emplace_back(
                std::make_tuple(w.want.asset, w.want.width, w.want.height, w.want.covering),
                w.made.get_future().share());
        try {
            cache.preparing.push_back(
                std::async(std::launch::async, [group = std::move(group)]() mutable {
                    for (Work& w : group) {
                        if (w.source == nullptr) w.source = Share(DecodedSource(w.want.asset));
                        w.made.set_value(
                            w.want.covering
                                ? CoveringFrom(std::move(w.source), w.want.width, w.want.height)
                                : SizedFrom(w.want.asset, std::move(w.source), w.want.width,
                                            w.want.height));
                    }
                }));
        } catch (const std::exception&) {
            continue;  // no thread: the layout makes these itself
        }
        cache.prepared.insert(futures.begin(), futures.end());
    }
}

void DropPreparedPictures() {
    PictureCache& cache = Cache();
    cache.prepared.clear();
    for (std::future<void>& thread : cache.preparing) thread.wait();
    cache.preparing.clear();
}

PixelsView BakedPixels(Asset asset, int w, int h) {
    const BakedPicture* baked = FindBaked(asset, w, h);
    const PixelsView view =
        baked != nullptr ? RawPicture(ResourceBytes(baked->resource)) : PixelsView();
    return view.width == w && view.height == h ? view : PixelsView();
}

Image MakePictureAt(Asset asset, int w, int h) {
    const std::shared_ptr<const Image> picture = Sized(asset, w, h);
    return picture != nullptr ? *picture : Image();
}

}  // namespace kelvra
