#include "app/wheel_drawing.h"

#include "app/state.h"
#include "runtime/win/events.h"
#include "ui/canvas_box.h"
#include "ui/model/ids.h"
#include "ui/property_access.h"

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

void PrepareTurns() {
    CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas);
    if (canvas == nullptr) return;
    const int pointer = State().pointerSpriteId;
    const int angle = canvas->GetSpriteAngle(pointer);
    for (int sector = 1; sector < 10; ++sector) canvas->RotateSprite(pointer, 36);
    canvas->SetSpriteAngle(pointer, angle);
}

void OnMainWindowDestroyed() {
    ProcessPendingEvents();
    if (CanvasBox* canvas = FindCanvas(WindowId::Main, ids::kMainCanvas)) {
        canvas->RemoveSprites({State().plateSpriteId});
        canvas->RemoveSprites({State().pointerSpriteId});
    }
}

}  // namespace kelvra
