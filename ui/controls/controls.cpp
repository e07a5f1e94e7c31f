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
    } classes[] = {
        {kLabelClass, &LabelProc},
        {kTransLabelClass, &TransLabelProc},
        {kCanvasBoxClass, &CanvasBoxProc},
        {kSpriteTemplateClass, &DefWindowProcW},
    };
    for (const ClassDef& d : classes) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = d.proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = d.name;
        RegisterClassExW(&wc);
    }
}

}  // namespace kelvra
