#include "ui/model/property_tables.h"

#include <array>

namespace kelvra {
namespace {

using K = PropertyKind;
constexpr bool kKept = true;

template <size_t N>
constexpr std::array<PropertyInfo, kFirstTypeProperty + N> WithCommon(
    const PropertyInfo (&own)[N]) {
    using P = CommonProperty;
    std::array<PropertyInfo, kFirstTypeProperty + N> table{{
        {P::Left, K::Int32},
        {P::Top, K::Int32},
        {P::Width, K::Int32},
        {P::Height, K::Int32},
        {P::Tag, K::Text},
        {P::Visible, K::Bool},
        {P::Disabled, K::Bool},
        {P::Cursor, K::Cursor},
    }};
    for (size_t i = 0; i < N; ++i) table[kFirstTypeProperty + i] = own[i];
    return table;
}

using W = WindowProperty;
constexpr auto kWindowTable = WithCommon({
    {W::Caption, K::Text},
    {W::Border, K::Choice},
    {W::BackColour, K::Colour},
    {W::BackPicture, K::Picture},
    {W::PictureMode, K::Choice},
    {W::Icon, K::Data},
    {W::CloseBox, K::Bool},
    {W::MaximizeBox, K::Bool},
    {W::MinimizeBox, K::Bool},
    {W::Position, K::Choice},
    {W::Movable, K::Bool},
    {W::InTaskbar, K::Bool},
    {W::Topmost, K::Bool},
    {W::EscCloses, K::Bool},
    {W::EnterMovesFocus, K::Bool},
    {W::HelpFile, K::Text},
    {W::HelpId, K::Integer},
    {W::BackgroundSound, K::Sound},
});

using T = TabProperty;
constexpr auto kTabTable = WithCommon({
    {T::Titles, K::Text},
    {T::CurrentPage, K::Int32},
    {T::Font, K::Font},
    {T::MultiLine, K::Bool},
    {T::TabPosition, K::Choice},
    {T::TabWidth, K::Int32},
    {T::TabHeight, K::Int32},
    {T::Icons, K::Picture},
});

using E = EditBoxProperty;
// A page's boxes are filled before the page first shows.
constexpr auto kEditBoxTable = WithCommon({
    {E::Content, K::Text, kKept},   {E::Border, K::Choice},       {E::TextColour, K::Colour},
    {E::BackColour, K::Colour},     {E::Font, K::Font},           {E::HideSelection, K::Bool},
    {E::MaxLength, K::Int32},       {E::MultiLine, K::Bool},      {E::ScrollBars, K::Choice},
    {E::Alignment, K::Choice},      {E::InputMode, K::Choice},    {E::PasswordCharacter, K::Text},
    {E::Case, K::Choice},           {E::CaretPosition, K::Int32}, {E::SelectionStart, K::Int32},
    {E::SelectionLength, K::Int32}, {E::SelectedText, K::Text},   {E::SpinMinimum, K::Int32},
    {E::SpinMaximum, K::Int32},     {E::DataSource, K::Text},     {E::DataColumn, K::Text},
});

using L = LabelProperty;
constexpr auto kLabelTable = WithCommon({
    {L::Caption, K::Text},
    {L::Effect, K::Choice},
    {L::Border, K::Choice},
    {L::Gradient, K::Choice},
    {L::GradientColour1, K::Colour},
    {L::GradientColour2, K::Colour},
    {L::BackPicture, K::Picture},
    {L::PictureMode, K::Choice},
    {L::TextColour, K::Colour},
    {L::BackColour, K::Colour},
    {L::Font, K::Font},
    {L::HorizontalAlignment, K::Choice},
    {L::Wrap, K::Bool},
    {L::VerticalAlignment, K::Choice},
    {L::LineSpacing, K::Int32},
    {L::DataSource, K::Text},
    {L::DataColumn, K::Text},
    {L::Tooltip, K::Text},
    {L::ShadowColour, K::Colour2},
    {L::BorderWidth, K::Int32},
    {L::Notifications, K::Bool},
});

using B = ButtonProperty;
constexpr auto kButtonTable = WithCommon({
    {B::Caption, K::Text},
    {B::Style, K::Choice},
    {B::Font, K::Font},
    {B::HorizontalAlignment, K::Choice},
    {B::VerticalAlignment, K::Choice},
    {B::Picture, K::Picture},
    {B::Default, K::Bool},
    {B::TextColour, K::Colour},
});

using TL = TransLabelProperty;
constexpr auto kTransLabelTable = WithCommon({
    {TL::Caption, K::Text},
    {TL::Font, K::Font},
    {TL::TextColour, K::Colour},
    {TL::HorizontalAlignment, K::Choice},
    {TL::VerticalAlignment, K::Choice},
    {TL::Wrap, K::Bool},
    {TL::ShadowEffect, K::Choice},
});

using CB = CartoonBoxProperty;
constexpr auto kCartoonBoxTable = WithCommon({
    {CB::BackColour, K::Colour},
    {CB::BackPicture, K::Picture},
    {CB::PictureMode, K::Choice},
    {CB::Border, K::Choice},
    {CB::FrameInterval, K::Integer2},
    {CB::AutoRedraw, K::Bool},
    {CB::MouseCapture, K::Bool},
    {CB::SoundsOn, K::Bool},
    {CB::BackgroundSound, K::Sound},
    {CB::Clip, K::Bool},
    {CB::ScrollX, K::Int32},
    {CB::ScrollY, K::Int32},
});

using CO = CartoonObjectProperty;
constexpr auto kCartoonObjectTable = WithCommon({
    {CO::Text, K::Text},          {CO::Font, K::Font},         {CO::TextColour, K::Colour},
    {CO::Picture, K::Picture},    {CO::Layer, K::Int32},       {CO::Angle, K::Int32},
    {CO::Zoom, K::Int32},         {CO::Opacity, K::Int32},     {CO::TransparentColour, K::Colour},
    {CO::RotateFollows, K::Bool}, {CO::AppearSound, K::Sound}, {CO::HitSound, K::Sound},
    {CO::Lifetime, K::Int32},     {CO::XSpeed, K::Int32},      {CO::YSpeed, K::Int32},
    {CO::TurnSpeed, K::Int32},    {CO::Bounce, K::Bool},       {CO::Mirrored, K::Bool},
    {CO::Flipped, K::Bool},       {CO::FrameCount, K::Int32},  {CO::FrameInterval, K::Int32},
    {CO::Frames, K::Data},        {CO::UserData, K::Int64},    {CO::Created, K::DateTime},
});

static_assert(std::size(kWindowTable) == 26);
static_assert(std::size(kTabTable) == 16);
static_assert(std::size(kEditBoxTable) == 29);
static_assert(std::size(kLabelTable) == 29);
static_assert(std::size(kButtonTable) == 16);
static_assert(std::size(kTransLabelTable) == 15);
static_assert(std::size(kCartoonBoxTable) == 20);
static_assert(std::size(kCartoonObjectTable) == 32);

}  // namespace

std::span<const PropertyInfo> PropertyTable(ControlType type) {
    switch (type) {
        case ControlType::Window:
            return kWindowTable;
        case ControlType::Tab:
            return kTabTable;
        case ControlType::EditBox:
            return kEditBoxTable;
        case ControlType::Label:
            return kLabelTable;
        case ControlType::Button:
            return kButtonTable;
        case ControlType::TransLabel:
            return kTransLabelTable;
        case ControlType::CartoonBox:
            return kCartoonBoxTable;
        case ControlType::CartoonObject:
            return kCartoonObjectTable;
    }
    return {};
}

const PropertyInfo* FindProperty(ControlType type, int32_t number) {
    const std::span<const PropertyInfo> table = PropertyTable(type);
    if (number < 0 || static_cast<size_t>(number) >= table.size()) return nullptr;
    return &table[static_cast<size_t>(number)];
}

}  // namespace kelvra
