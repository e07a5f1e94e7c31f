#include "ui/controls/controls.h"

namespace kelvra {

std::unique_ptr<Component> MakeControl(WindowHost& window, const ControlDef& def) {
    switch (def.type) {
        case ControlType::Tab:
            return MakeTab(window, def);
        case ControlType::EditBox:
            return MakeEditBox(window, def);
        case ControlType::Label:
            return MakeLabel(window, def);
        case ControlType::Button:
            return MakeButton(window, def);
        case ControlType::TransLabel:
            return MakeTransLabel(window, def);
        case ControlType::CartoonBox:
            return MakeCanvasBox(window, def);
        case ControlType::CartoonObject:
            return MakeSpriteTemplate(window, def);
        case ControlType::Window:  // not a control
            break;
    }
    return nullptr;
}

void RegisterControlClasses(HINSTANCE instance) {
    struct ClassDef {
        const wchar_t* name;
        WNDPROC proc;
        UINT style = 0;
        HBRUSH background = nullptr;
    } classes[] = {
        {kLabelClass, &LabelProc},
        {kTransLabelClass, &TransLabelProc},
        {kCanvasBoxClass, &CanvasBoxProc},
        {kSpriteTemplateClass, &DefWindowProcW},
        // As the platform's tab control: erased in the face colour, repainted whole when resized.
        {kTabClass, &TabProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
         reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
    };
    for (const ClassDef& d : classes) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = d.style;
        wc.lpfnWndProc = d.proc;
        wc.hbrBackground = d.background;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = d.name;
        RegisterClassExW(&wc);
    }
}

}  // namespace kelvra
