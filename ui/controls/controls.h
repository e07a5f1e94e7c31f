#pragma once
// The control types of the layouts, each in a file of its own; the window layer makes them
// through MakeControl.

#include <windows.h>

#include <memory>

#include "ui/component.h"
#include "ui/model/scale.h"
#include "wheel/canvas.h"

namespace kelvra {

// Null for a type that is no control.
std::unique_ptr<Component> MakeControl(WindowHost& window, const ControlDef& def);

// The window classes of the controls the program draws itself. They have no icon: a child window
// shows none, and for a class with one the system makes a small copy from the resource (about
// 2 ms each under Wine, at every start).
void RegisterControlClasses(HINSTANCE instance);

// One factory per type (MakeControl picks).
std::unique_ptr<Component> MakeTab(WindowHost& window, const ControlDef& def);
std::unique_ptr<Component> MakeEditBox(WindowHost& window, const ControlDef& def);
std::unique_ptr<Component> MakeLabel(WindowHost& window, const ControlDef& def);
std::unique_ptr<Component> MakeTransLabel(WindowHost& window, const ControlDef& def);
std::unique_ptr<Component> MakeButton(WindowHost& window, const ControlDef& def);
std::unique_ptr<Component> MakeCanvasBox(WindowHost& window, const ControlDef& def);
std::unique_ptr<Component> MakeSpriteTemplate(WindowHost& window, const ControlDef& def);

// A sprite template control's template, and its picture at a scale (null / empty for others).
const SpriteTemplate* TemplateOf(const Component* c);
std::shared_ptr<const Image> TemplatePictureAt(const Component& c, const Scale& scale);
// What TemplatePictureAt would make, to be made ahead; false when it makes nothing.
bool TemplateWantedAt(const Component& c, const Scale& scale, WantedPicture& wanted);

// Window classes and procedures of the drawn controls.
inline constexpr wchar_t kLabelClass[] = L"KelvraLabel";
inline constexpr wchar_t kTransLabelClass[] = L"KelvraTransLabel";
inline constexpr wchar_t kCanvasBoxClass[] = L"KelvraCanvas";
inline constexpr wchar_t kSpriteTemplateClass[] = L"KelvraTemplate";
inline constexpr wchar_t kTabClass[] = L"KelvraTab";
LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK TransLabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK CanvasBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace kelvra
