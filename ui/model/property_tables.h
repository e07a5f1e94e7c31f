#pragma once
// The properties of each control type by number, as ReadProperty and WriteProperty address them:
// one table per type, and a name for every number. Platform-free.

#include <cstdint>
#include <span>

#include "ui/model/layout.h"

namespace kelvra {

// Codes not listed here (1007, 1016, ...) are texts, as is Text itself.
enum class PropertyKind : int32_t {
    Integer = 1000,
    Int32 = 1001,
    Int64 = 1002,
    Bool = 1003,
    DateTime = 1004,
    Text = 1005,
    Choice = 1006,
    Picture = 1009,
    Sound = 1010,
    Cursor = 1011,
    Data = 1012,
    Font = 1013,
    Colour = 1014,
    Integer2 = 1015,
    Colour2 = 1017,
    Data2 = 1023,
    Data3 = 1024,
};

// Every type's table starts with these; the type's own follow.
struct CommonProperty {
    enum : int32_t { Left, Top, Width, Height, Tag, Visible, Disabled, Cursor };
};
inline constexpr int32_t kFirstTypeProperty = CommonProperty::Cursor + 1;

// The names below are the numbers of each type's own properties, in table order.
struct WindowProperty {
    enum : int32_t {
        Caption = kFirstTypeProperty,
        Border,
        BackColour,
        BackPicture,
        PictureMode,
        Icon,
        CloseBox,
        MaximizeBox,
        MinimizeBox,
        Position,
        Movable,
        InTaskbar,
        Topmost,
        EscCloses,
        EnterMovesFocus,
        HelpFile,
        HelpId,
        BackgroundSound
    };
};

struct TabProperty {
    enum : int32_t {
        Titles = kFirstTypeProperty,
        CurrentPage,
        Font,
        MultiLine,
        TabPosition,
        TabWidth,
        TabHeight,
        Icons
    };
};

struct EditBoxProperty {
    enum : int32_t {
        Content = kFirstTypeProperty,
        Border,
        TextColour,
        BackColour,
        Font,
        HideSelection,
        MaxLength,
        MultiLine,
        ScrollBars,
        Alignment,
        InputMode,
        PasswordCharacter,
        Case,
        CaretPosition,
        SelectionStart,
        SelectionLength,
        SelectedText,
        SpinMinimum,
        SpinMaximum,
        DataSource,
        DataColumn
    };
};

struct LabelProperty {
    enum : int32_t {
        Caption = kFirstTypeProperty,
        Effect,
        Border,
        Gradient,
        GradientColour1,
        GradientColour2,
        BackPicture,
        PictureMode,
        TextColour,
        BackColour,
        Font,
        HorizontalAlignment,
        Wrap,
        VerticalAlignment,
        LineSpacing,
        DataSource,
        DataColumn,
        Tooltip,
        ShadowColour,
        BorderWidth,
        Notifications
    };
};

struct ButtonProperty {
    enum : int32_t {
        Caption = kFirstTypeProperty,
        Style,
        Font,
        HorizontalAlignment,
        VerticalAlignment,
        Picture,
        Default,
        TextColour
    };
};

struct TransLabelProperty {
    enum : int32_t {
        Caption = kFirstTypeProperty,
        Font,
        TextColour,
        HorizontalAlignment,
        VerticalAlignment,
        Wrap,
        ShadowEffect
    };
};

struct CartoonBoxProperty {
    enum : int32_t {
        BackColour = kFirstTypeProperty,
        BackPicture,
        PictureMode,
        Border,
        FrameInterval,
        AutoRedraw,
        MouseCapture,
        SoundsOn,
        BackgroundSound,
        Clip,
        ScrollX,
        ScrollY
    };
};

struct CartoonObjectProperty {
    enum : int32_t {
        Text = kFirstTypeProperty,
        Font,
        TextColour,
        Picture,
        Layer,
        Angle,
        Zoom,
        Opacity,
        TransparentColour,
        RotateFollows,
        AppearSound,
        HitSound,
        Lifetime,
        XSpeed,
        YSpeed,
        TurnSpeed,
        Bounce,
        Mirrored,
        Flipped,
        FrameCount,
        FrameInterval,
        Frames,
        UserData,
        Created
    };
};

struct PropertyInfo {
    int32_t number;
    PropertyKind kind;
    // Whether a control whose native window is left for later keeps the value itself; for any
    // other property the window is made first.
    bool keptWhileDeferred = false;
};

// The type's table, entry i numbered i. Sizes: EditBox 29, Label 29, CartoonObject 32,
// TransLabel 15; Window 26, Tab 16, Button 16 and CartoonBox 20 are this program's choice.
std::span<const PropertyInfo> PropertyTable(ControlType type);
// Null for a number outside the type's table.
const PropertyInfo* FindProperty(ControlType type, int32_t number);

}  // namespace kelvra
