#pragma once
// A cover over part of the screen that holds its picture while a window beneath changes size and
// paints, and then shows the window's new picture in one change.

#include <windows.h>

#include <functional>

namespace kelvra {

// Where the screen is not composed by the system (Wine on X), a window that changes size shows
// in between what the screen had there (its old picture moved, the desktop) until its new picture
// follows, and each child's paint reaches the screen on its own. A cover is a topmost window of
// no activation that shows a picture of the screen: it is put up over `area` (screen pixels)
// showing the same picture as the screen, so that nothing changes; the window changes beneath
// it; Reveal puts the window's new picture into the cover's, which the screen takes in one
// piece; the cover goes when it is destroyed, leaving the same picture. Where the system composes
// the screen the cover changes nothing that is seen.
//
// A cover may also go up showing the window's next picture, drawn by the caller: the screen then
// takes it in one piece as the cover goes up, and Reveal finds nothing more to show unless the
// window paints otherwise.
class ScreenCover {
  public:
    // `before` is the picture of `area` as the screen shows it now (screen pixels of that size),
    // which the cover shows until Reveal and which must last as long as it; without one there is
    // no cover.
    ScreenCover(const RECT& area, HBITMAP before);
    // Showing what `paint` draws into a DC of the area's pixels, for the rectangle asked for: the
    // picture the screen is to show next, which it takes as the cover goes up.
    ScreenCover(const RECT& area, std::function<void(HDC, const RECT&)> paint);
    // Over `window`, showing its own picture (which is what the screen shows there), painted from
    // it as the cover goes up, unless another window of the program lies over it
    // (OtherWindowsIn): then there is no cover.
    explicit ScreenCover(HWND window);
    ~ScreenCover();
    ScreenCover(const ScreenCover&) = delete;
    ScreenCover& operator=(const ScreenCover&) = delete;

    // The cover's window; null when there is none.
    HWND hwnd() const { return hwnd_; }
    // Lets the window paint what the system asked of it meanwhile, then copies it as it is, its
    // frame included, into the picture where it lies on the screen, over `under` (the picture of
    // the area to show around it) when there is one, and shows that; without `under`, nothing
    // when the cover shows the window's picture already.
    void Reveal(HWND window, HBITMAP under = nullptr);
    // Whether the cover's picture holds `window` as it is now, where it lies.
    bool Shows(HWND window) const;

  private:
    // Puts the cover up showing `picture` (area_'s pixels); none without one.
    void ShowPicture(HBITMAP picture);
    // Puts the cover up over area_, showing what paint_ draws, and lets the screen take it.
    void PutUp();
    // Lets the system put what was drawn into windows on the screen now.
    static void Present();
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    RECT area_{};
    std::function<void(HDC, const RECT&)> paint_;
    bool revealed_ = false;
    HWND hwnd_ = nullptr;
};

// The picture of `area` of the screen now, as a bitmap of its size; null when it cannot be read.
HBITMAP ReadScreen(const RECT& area);

// The same, read in two steps. Reading the screen is slow where the system does not compose it
// (Wine on X: through the X server, a few tens of milliseconds at 1920 x 1080), but a window's
// own picture is at hand: where nothing lies over its client area, that part is taken from the
// window at once, on its thread, before it changes; Read, on any thread, reads only the rest from
// the screen.
class ScreenPicture {
  public:
    explicit ScreenPicture(const RECT& area, HWND window = nullptr);
    ScreenPicture(ScreenPicture&& other) noexcept;
    ScreenPicture& operator=(ScreenPicture&&) = delete;
    ~ScreenPicture();
    // The picture, which the caller then owns; null when it cannot be read. Once only.
    HBITMAP Read();

  private:
    RECT area_;
    RECT known_{};              // the part taken from the window (screen pixels)
    HBITMAP bitmap_ = nullptr;  // of the area's size, holding that part
};

// The picture of a window as it drew itself, its frame included, whatever covers it.
HBITMAP ReadWindow(HWND window);
// Whether another shown window of the program lies in `area` besides `window`: a cover would
// then show the window's picture over it, so none is put up.
bool OtherWindowsIn(HWND window, const RECT& area);

}  // namespace kelvra
