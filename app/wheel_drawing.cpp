#include "app/wheel_drawing.h"

#include <cmath>
#include <numbers>

#include "app/state.h"
#include "runtime/encoding.h"
#include "runtime/win/events.h"
#include "ui/controls/canvas_box.h"
#include "ui/model/ids.h"
#include "ui/property_access.h"
#include "ui/text_render.h"
#include "ui/window.h"
#include "ui/window_registry.h"

namespace kelvra {

namespace {

struct LabelPlace {
    int left, top;
};
// Where each prize's name sits on the canvas, prize 1 at the top, then clockwise.
constexpr LabelPlace kLabelPlaces[10] = {{210, 60},  {320, 95},  {390, 185}, {395, 305},
                                         {325, 400}, {210, 440}, {100, 405}, {30, 305},
                                         {30, 195},  {100, 100}};
constexpr int kLabelPoints = 18;
// The plate's centre on the canvas, and its sectors' borders either side of a sector's middle.
constexpr double kWheelCentre = 262;
constexpr double kHalfSectorDegrees = 18;

// Whether the part `r` of a label of w x h units with its top-left at `place`, turned by `turn`
// degrees about its centre, lies between the borders of the sector whose middle is at `turn`,
// or at most `over` units beyond them.
bool InsideSector(LabelPlace place, double w, double h, RECT r, int turn, double over = 0) {
    const double a = turn * std::numbers::pi / 180,
                 half = kHalfSectorDegrees * std::numbers::pi / 180;
    const double cx = place.left + w / 2 - kWheelCentre, cy = place.top + h / 2 - kWheelCentre;
    // Turned back with its sector to the top, the label stands upright about this centre.
    const double ux = cx * std::cos(a) + cy * std::sin(a), uy = cy * std::cos(a) - cx * std::sin(a);
    for (double x : {r.left - w / 2, r.right - w / 2})
        for (double y : {r.top - h / 2, r.bottom - h / 2})
            if ((std::abs(ux + x) * std::cos(half) + (uy + y) * std::sin(half)) > over)
                return false;
    return true;
}

// The size, 18 points or less, at which prize k's name stays inside its sector. A name whose
// glyphs at 18 points at most touch its borders' lines (the plate draws them two units wide) keeps
// that size, drawn as it always was. Any other is drawn at the largest size at which its whole
// label lies inside at 96 DPI, and also when a unit wider per character and a unit taller, which
// is more than the rounding of glyphs to pixels adds at any other scale.
int FittingPoints(int k, const std::string& name, FontSpec font) {
    const double glyphs = static_cast<double>(GbkToWide(name).size());
    const LabelPlace place = kLabelPlaces[k - 1];
    const int turn = 36 * (k - 1);
    font.height = -MulDivRounded(kLabelPoints, 96, 72);
    const SIZE full = TextImageSize(name, font);
    if (InsideSector(place, full.cx, full.cy, TextInkBox(name, font), turn, 1.5))
        return kLabelPoints;
    int points = kLabelPoints - 1;
    for (; points > 1; --points) {
        font.height = -MulDivRounded(points, 96, 72);
        const SIZE box = TextImageSize(name, font);
        const double w = box.cx + glyphs, h = box.cy + 1;
        if (InsideSector(place, box.cx, box.cy, {0, 0, box.cx, box.cy}, turn) &&
            InsideSector(place, w, h, {0, 0, static_cast<LONG>(w), static_cast<LONG>(h)}, turn))
            break;
    }
    return points;
}

// Prize k's name on the text template at the size that fits its sector.
void WriteLabel(int k, const std::string& name, int& writtenPoints) {
    WriteTemplateText(WindowId::Main, ids::kMainText, name);
    const SpriteTemplate* text = FindTemplate(WindowId::Main, ids::kMainText);
    const int points = text != nullptr ? FittingPoints(k, name, text->font) : kLabelPoints;
    if (points != writtenPoints) WriteTemplateFontSize(WindowId::Main, ids::kMainText, points);
    writtenPoints = points;
}

}  // namespace

void DrawWheel() {
    CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas);
    if (canvas == nullptr) return;
    ProgramState& s = State();
    // A wheel drawn again over the old one takes over its pointer where it stands: a save of
    // the names during a spin must not move the pointer, whose remaining steps then end on the
    // winner picked at the press.
    const int pointerAngle = canvas->GetSpriteAngle(s.pointerSpriteId);
    s.plateSpriteId = canvas->AddSprite(ids::kMainPlate, 25, 25, true);
    s.pointerSpriteId = canvas->AddSprite(ids::kMainPointer, 195, 110, true);
    canvas->SetSpriteAngle(s.pointerSpriteId, pointerAngle);
    canvas->AddSprite(ids::kMainHub, 205, 205, true);

    WriteTemplateText(WindowId::Main, ids::kMainText, s.prizeTable[0].name);
    WriteTemplateFontFace(WindowId::Main, ids::kMainText, "宋体");
    WriteTemplateFontSize(WindowId::Main, ids::kMainText, kLabelPoints);
    WriteTemplateTextColour(WindowId::Main, ids::kMainText, 0);
    // A name too wide for its sector is written smaller, that name alone.
    int points = kLabelPoints;
    WriteLabel(1, s.prizeTable[0].name, points);
    s.labelSpriteIds[0] =
        canvas->AddSprite(ids::kMainText, kLabelPlaces[0].left, kLabelPlaces[0].top);
    for (int k = 2; k <= 10; ++k) {
        WriteLabel(k, s.prizeTable[k - 1].name, points);
        const int id =
            canvas->AddSprite(ids::kMainText, kLabelPlaces[k - 1].left, kLabelPlaces[k - 1].top);
        s.labelSpriteIds[k - 1] = id;
        canvas->RotateSprite(id, 36 * (k - 1));
    }
}

namespace {

// Any number the window's own timers do not use.
constexpr UINT_PTR kPrepareTurnsTimer = 0x5450;

void CALLBACK TurnPointerThroughTheSectors(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas);
    LoadedWindow* main = FindLoadedWindow(WindowId::Main);
    // A spin under way makes them itself; a window back from full screen needs none.
    if (canvas == nullptr || main == nullptr || !main->fullScreen() || State().spinning) return;
    const int pointer = State().pointerSpriteId;
    const int angle = canvas->GetSpriteAngle(pointer);
    for (int sector = 1; sector < 10; ++sector) canvas->RotateSprite(pointer, 36);
    canvas->SetSpriteAngle(pointer, angle);
}

}  // namespace

void PrepareTurns() {
    // Once the full screen is on the screen: a timer's turn comes after the paints, so the first
    // picture does not wait for them.
    if (LoadedWindow* main = FindLoadedWindow(WindowId::Main))
        SetTimer(main->hwnd(), kPrepareTurnsTimer, 0, &TurnPointerThroughTheSectors);
}

void OnMainWindowDestroyed() {
    ProcessPendingEvents();
    if (CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas)) {
        canvas->RemoveSprites({State().plateSpriteId});
        canvas->RemoveSprites({State().pointerSpriteId});
    }
}

}  // namespace kelvra
