#include "ui/paint_at_once.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

#include "runtime/win/system_library.h"

namespace kelvra {

namespace {

RECT ScreenToClientOf(HWND root, RECT r) {
    MapWindowPoints(nullptr, root, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Paints the frame of `hwnd` (`outer` less `inner`) as the system asks a control to paint it.
// The only frame the program's controls have is the edit box's client edge, which the platform's
// edit box paints as the theme's edit border, or as a sunken edge without a theme. False,
// without painting, for any other frame.
bool PrintFrame(HWND hwnd, HDC dc, const RECT& outer, const RECT& inner, HWND focus) {
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
    wchar_t kind[8] = {};
    if (GetClassNameW(hwnd, kind, 8) == 0 || lstrcmpiW(kind, L"Edit") != 0 ||
        (ex & (WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) !=
            WS_EX_CLIENTEDGE ||
        (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL)) != 0)
        return false;
    static const auto windowTheme =
        SystemFunction<decltype(&GetWindowTheme)>(L"uxtheme.dll", "GetWindowTheme");
    static const auto drawTheme =
        SystemFunction<decltype(&DrawThemeBackground)>(L"uxtheme.dll", "DrawThemeBackground");
    HTHEME theme = windowTheme != nullptr && drawTheme != nullptr ? windowTheme(hwnd) : nullptr;
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    RECT r = outer;
    if (theme != nullptr) {
        int state = ETS_NORMAL;
        if (!IsWindowEnabled(hwnd))
            state = ETS_DISABLED;
        else if ((style & ES_READONLY) != 0)
            state = ETS_READONLY;
        else if (focus == hwnd)
            state = ETS_FOCUSED;
        drawTheme(theme, dc, EP_EDITTEXT, state, &r, nullptr);
    } else {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    }
    RestoreDC(dc, saved);
    return true;
}

bool Shown(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Buttons draw their parent beneath them, in the theme's manner: the parent is asked to print
// itself into the button's DC (DrawThemeParentBackground), a whole paint of it each time.
bool DrawsParentBeneath(HWND hwnd) {
    wchar_t kind[8] = {};
    return GetClassNameW(hwnd, kind, 8) != 0 && lstrcmpiW(kind, L"Button") == 0;
}

// What a window's painting at once needs to know, asked of the system once: every step through
// the windows and the focus is a request to it (under Wine a round trip to its server).
struct Painting {
    HWND root;
    HDC picture;  // root's client area
    HDC scratch;  // as large
    HWND focus;
    std::unordered_map<HWND, std::vector<HWND>> children;  // the shown ones, the lowest first

    Painting(HWND window, HDC pictureDc, HDC scratchDc)
        : root(window), picture(pictureDc), scratch(scratchDc), focus(GetFocus()) {
        // The windows below `root`, each before its own, the highest first.
        EnumChildWindows(root, &Add, reinterpret_cast<LPARAM>(this));
        for (auto& [parent, list] : children) std::reverse(list.begin(), list.end());
    }
    static BOOL CALLBACK Add(HWND child, LPARAM self) {
        if (Shown(child))
            reinterpret_cast<Painting*>(self)->children[GetParent(child)].push_back(child);
        return TRUE;
    }
    const std::vector<HWND>& ChildrenOf(HWND hwnd) const {
        static const std::vector<HWND> none;
        const auto it = children.find(hwnd);
        return it != children.end() ? it->second : none;
    }
};

// Leaves out of `dc`'s clip the `children` for which `leave(child)` holds; `root` is the window
// whose client area `dc`'s pixels are, `origin` where it lies in them.
template <class Leave>
void ExcludeChildren(HWND root, POINT origin, const std::vector<HWND>& children, HDC dc,
                     Leave leave) {
    for (HWND child : children) {
        RECT r;
        if (!leave(child) || !GetWindowRect(child, &r)) continue;
        r = ScreenToClientOf(root, r);
        ExcludeClipRect(dc, r.left - origin.x, r.top - origin.y, r.right - origin.x,
                        r.bottom - origin.y);
    }
}

void PrintClient(HWND hwnd, HDC dc) {
    SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
}

// A memory DC holding a picture like `like`'s, of w x h pixels; null dc() when it cannot be made.
class Scratch {
  public:
    Scratch(HDC like, int w, int h)
        : dc_(CreateCompatibleDC(like)), bitmap_(CreateCompatibleBitmap(like, w, h)) {
        if (dc_ != nullptr && bitmap_ != nullptr) {
            old_ = SelectObject(dc_, bitmap_);
        } else {
            if (dc_ != nullptr) DeleteDC(dc_);
            dc_ = nullptr;
        }
    }
    ~Scratch() {
        if (dc_ != nullptr) {
            SelectObject(dc_, old_);
            DeleteDC(dc_);
        }
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    HDC dc() const { return dc_; }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

constexpr wchar_t kPictureProp[] = L"KelvraPaintAtOnce";

// While a window's children paint, the window answers their requests for its picture with one
// paint of it made before: `picture`, its client area's pixels.
class ParentPicture {
  public:
    ParentPicture(HWND hwnd, HDC picture) : hwnd_(hwnd), picture_(picture) {
        SetPropW(hwnd_, kPictureProp, this);
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~ParentPicture() {
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropW(hwnd_, kPictureProp);
    }
    ParentPicture(const ParentPicture&) = delete;
    ParentPicture& operator=(const ParentPicture&) = delete;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = static_cast<ParentPicture*>(GetPropW(hwnd, kPictureProp));
        if (msg == WM_ERASEBKGND) return 1;  // the picture holds the erased background
        if (msg == WM_PRINTCLIENT) {
            RECT r;
            GetClientRect(hwnd, &r);
            BitBlt(reinterpret_cast<HDC>(wp), 0, 0, r.right, r.bottom, self->picture_, 0, 0,
                   SRCCOPY);
            return 0;
        }
        return CallWindowProcW(self->previous_, hwnd, msg, wp, lp);
    }

    HWND hwnd_;
    HDC picture_;
    WNDPROC previous_ = nullptr;
};

// Paints `hwnd`'s client area, then its shown children, the lowest first, each framed, into
// the picture of the root's client area; nothing is painted outside `clip` (pixels of the
// picture). Each window paints into a surface whose pixel (0, 0) is its client area's corner, as
// it would on the screen: the platform's controls take the DC's device origin for their own (a
// check box clips itself there). False when a frame could not be painted.
bool PrintTree(const Painting& p, HWND hwnd, const RECT& clip) {
    const HWND root = p.root;
    const HDC picture = p.picture;
    RECT client;
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, root, reinterpret_cast<POINT*>(&client), 2);
    RECT inside;
    if (!IntersectRect(&inside, &client, &clip)) return true;
    const POINT origin{client.left, client.top};
    const int w = client.right - client.left, h = client.bottom - client.top;
    // As the system clips it: without its shown children, when it asks for that.
    const bool clipsChildren = (GetWindowLongW(hwnd, GWL_STYLE) & WS_CLIPCHILDREN) != 0;
    const std::vector<HWND>& children = p.ChildrenOf(hwnd);
    const bool asked = std::any_of(children.begin(), children.end(), &DrawsParentBeneath);
    // When its children ask for its picture, it is painted once where they lie too, on a surface
    // of its own kept while they paint.
    std::optional<Scratch> own;
    if (asked) own.emplace(picture, w, h);
    if (own && own->dc() == nullptr) own.reset();
    HDC surface = own ? own->dc() : p.scratch;
    BitBlt(surface, 0, 0, w, h, picture, origin.x, origin.y, SRCCOPY);  // what lies beneath
    int saved = SaveDC(surface);
    IntersectClipRect(surface, inside.left - origin.x, inside.top - origin.y,
                      inside.right - origin.x, inside.bottom - origin.y);
    if (clipsChildren)
        ExcludeChildren(root, origin, children, surface,
                        [&](HWND child) { return !own || !DrawsParentBeneath(child); });
    PrintClient(hwnd, surface);
    RestoreDC(surface, saved);
    saved = SaveDC(picture);
    IntersectClipRect(picture, inside.left, inside.top, inside.right, inside.bottom);
    if (clipsChildren) ExcludeChildren(root, {0, 0}, children, picture, [](HWND) { return true; });
    BitBlt(picture, origin.x, origin.y, w, h, surface, 0, 0, SRCCOPY);
    RestoreDC(picture, saved);
    std::optional<ParentPicture> serving;
    if (own) serving.emplace(hwnd, own->dc());
    for (HWND child : children) {
        RECT outer, in;
        GetWindowRect(child, &outer);
        outer = ScreenToClientOf(root, outer);
        GetClientRect(child, &in);
        MapWindowPoints(child, root, reinterpret_cast<POINT*>(&in), 2);
        if (!EqualRect(&outer, &in)) {
            const int framing = SaveDC(picture);
            IntersectClipRect(picture, inside.left, inside.top, inside.right, inside.bottom);
            const bool framed = PrintFrame(child, picture, outer, in, p.focus);
            RestoreDC(picture, framing);
            if (!framed) return false;
        }
        if (!PrintTree(p, child, inside)) return false;
    }
    return true;
}

}  // namespace

bool PaintAtOnce(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    // A DC of the window that leaves out none of its children.
    HDC screen = GetDCEx(window, nullptr, DCX_CACHE);
    if (screen == nullptr) return false;
    bool made = false;
    {
        Scratch picture(screen, client.right, client.bottom);
        Scratch scratch(screen, client.right, client.bottom);
        made = picture.dc() != nullptr && scratch.dc() != nullptr &&
               PrintTree(Painting(window, picture.dc(), scratch.dc()), window, client);
        if (made) {
            // The caret is drawn over the window's picture: hidden while the picture changes.
            const bool caret = HideCaret(nullptr) != FALSE;
            BitBlt(screen, 0, 0, client.right, client.bottom, picture.dc(), 0, 0, SRCCOPY);
            if (caret) ShowCaret(nullptr);
        }
    }
    ReleaseDC(window, screen);
    return made;
}

}  // namespace kelvra
