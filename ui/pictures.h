#pragma once
// The pictures compiled into the program, decoded and sized when first shown, and the cache that
// keeps them.

#include <future>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "ui/model/layout.h"
#include "wheel/font_spec.h"
#include "wheel/image.h"

namespace kelvra {

// Each picture decoded at its source size, and each size made from it, shared by whoever shows
// it. A size is kept while something shows it: a window that closes gives its background back.
// The program owns the cache and hands it over once; until then a default is used.
// Texts drawn, or being drawn, by (GBK text, font, colour).
using TextFaces =
    std::vector<std::pair<std::tuple<std::string, FontSpec, uint32_t>, std::shared_future<Image>>>;

struct PictureCache {
    std::map<Asset, std::shared_ptr<const Image>> sources;
    std::map<std::tuple<Asset, int, int>, std::weak_ptr<const Image>> sizes;
    std::map<std::tuple<Asset, int, int>, std::weak_ptr<const Image>> coverings;
    // Being made on another thread (PreparePictures), by (asset, width, height, covering).
    std::map<std::tuple<Asset, int, int, bool>, std::shared_future<std::shared_ptr<const Image>>>
        prepared;
    TextFaces preparedTexts;  // being drawn on another thread, each once
    TextFaces textsAhead;     // of a later layout, drawn at an idle moment (DrawTextsAhead)
    std::vector<std::future<void>> preparing;  // the threads making them
};

// A picture a layout is about to show: at width x height, or covering it.
struct WantedPicture {
    Asset asset;
    int width, height;
    bool covering;
};

// A text a layout is about to show, drawn as RenderTextImage draws it.
struct WantedText {
    std::string text;
    FontSpec font;
    uint32_t colour;
};

// The picture at its source size; null when the resource is missing or cannot be decoded. The
// background's source is large and only ever shown at other sizes: it is copied anew, not kept.
std::shared_ptr<const Image> Picture(Asset asset);

// The picture at w x h, made once per size while it is shown: the baked one when the program has
// one of that size, else as MakePictureAt makes it.
std::shared_ptr<const Image> PictureAt(Asset asset, int w, int h);

// The picture covering w x h without bars or distortion: its source cut about its centre to the
// shape of w x h and stretched to it, as scaling it by the larger of the two ratios and cropping
// would. Made once per size.
std::shared_ptr<const Image> PictureCovering(Asset asset, int w, int h);

// Starts making the pictures and drawing the texts a new layout will show on other threads, in
// the order given, so that they are made beside the rest of the layout (fonts, the controls'
// places) instead of before it; PictureAt, PictureCovering and PreparedTexts take them, waiting
// until each is done. A picture shown already or baked in, or all of them when no thread can be
// started, are left to those as before.
void PreparePictures(const std::vector<WantedPicture>& wanted,
                     const std::vector<WantedText>& texts = {});

// Forgets the prepared pictures and texts that were not taken, once they are done.
void DropPreparedPictures();

// Draws the texts a layout the program may show next will need (full screen), and keeps them until
// that layout takes them or other texts are drawn ahead instead; PreparePictures then leaves them
// out. Without `drawMissing`, only those drawn before and still among them are kept.
void DrawTextsAhead(const std::vector<WantedText>& texts, bool drawMissing = true);

// Draws texts as RenderTextImage does, taking each one prepared or drawn ahead instead.
Image PreparedTexts(const std::string& gbkText, const FontSpec& font, uint32_t colour);

// The picture at w x h made now and not kept: the source itself at its own size, else reduced
// from the 200 % master (enlarged from it beyond 200 %), or the source stretched where there is
// no master. Baking keeps what this makes.
Image MakePictureAt(Asset asset, int w, int h);

// Pictures compiled in a second time as raw pixels (wheel/image.h), made by
// tools/bake-pictures.sh, so that a start decodes none of them. The backgrounds of the windows at
// 100 %, exactly as MakePictureAt makes them: a canvas shows one where it lies in the program,
// without a private copy (decoding the source and stretching it take tens of milliseconds, a
// compressed copy still about seven); they are opaque. The sprites' sources (0 x 0), exactly as
// decoded from their PNG: copied, not decoded (about 5 ms at a start). The background's source
// (0 x 0), from which full screen and every other scale are made where it lies, so that the
// program never needs the platform's JPEG decoder (decoding took a quarter of the first F11). The
// sprites' masters at 200 % (kBakedMaster), exactly as decoded from their PNG, from which the
// larger sizes are reduced where they lie (decoding the plate's took 20-30 ms of the first F11).
// A test holds each to what it stands for.
inline constexpr int kBakedMaster = -1;
struct BakedPicture {
    Asset asset;
    int width, height;
    const wchar_t* resource;
};
inline constexpr BakedPicture kBakedPictures[] = {
    {Asset::Sunburst, 528, 548, L"SUNBURST_528X548_KPX"},  // both canvases of the main window
    {Asset::Sunburst, 353, 315, L"SUNBURST_353X315_KPX"},  // the rate window
    {Asset::Sunburst, 346, 294, L"SUNBURST_346X294_KPX"},  // the instructions window
    {Asset::Plate, 0, 0, L"PLATE_KPX"},
    {Asset::Pointer, 0, 0, L"POINTER_KPX"},
    {Asset::Hub, 0, 0, L"HUB_KPX"},
    {Asset::Sunburst, 0, 0, L"SUNBURST_KPX"},  // the full-screen background is made from it
    {Asset::Plate, kBakedMaster, kBakedMaster, L"PLATE2X_KPX"},
    {Asset::Pointer, kBakedMaster, kBakedMaster, L"POINTER2X_KPX"},
    {Asset::Hub, kBakedMaster, kBakedMaster, L"HUB2X_KPX"},
};

// The picture's source decoded from its compressed form, as baking needs it; empty when it has
// none.
Image DecodedSource(Asset asset);
// The same of the picture's master at 200 %.
Image DecodedMaster(Asset asset);

// The baked picture of that size where it lies in the program; empty when there is none.
PixelsView BakedPixels(Asset asset, int w, int h);

}  // namespace kelvra
