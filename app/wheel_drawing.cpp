#include "app/wheel_drawing.h"

#include "app/state.h"
#include "runtime/win/events.h"
#include "ui/controls/canvas_box.h"
#include "ui/model/ids.h"
#include "ui/property_access.h"
#include "ui/window.h"

namespace kelvra {

namespace {

struct LabelPlace {
    int left, top;
};
// Where each prize's name sits on the canvas, prize 1 at the top, then clockwise.
constexpr LabelPlace kLabelPlaces[10] = {{210, 60},  {320, 95},  {390, 185}, {395, 305},
                                         {325, 400}, {210, 440}, {100, 405}, {30, 305},
                                         {30, 195},  {100, 100}};

}  // namespace

void DrawWheel() {
    CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas);
    if (canvas == nullptr) return;
    ProgramState& s = State();
    s.plateSpriteId = canvas->AddSprite(ids::kMainPlate, 25, 25, true);
    s.pointerSpriteId = canvas->AddSprite(ids::kMainPointer, 195, 110, true);
    canvas->AddSprite(ids::kMainHub, 205, 205, true);

    WriteTemplateText(WindowId::Main, ids::kMainText, s.prizeTable[0].name);
    WriteTemplateFontFace(WindowId::Main, ids::kMainText, "宋体");
    WriteTemplateFontSize(WindowId::Main, ids::kMainText, 18);
    WriteTemplateTextColour(WindowId::Main, ids::kMainText, 0);
    s.labelSpriteIds[0] =
        canvas->AddSprite(ids::kMainText, kLabelPlaces[0].left, kLabelPlaces[0].top);
    for (int k = 2; k <= 10; ++k) {
        WriteTemplateText(WindowId::Main, ids::kMainText, s.prizeTable[k - 1].name);
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
