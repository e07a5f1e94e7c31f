#include <cstring>

#include "ui/model/ids.h"
#include "ui/model/layout.h"

namespace kelvra {
namespace {

constexpr FontDef kFormFont{16, 700, ""};
constexpr FontDef kTabFont{12, 400, ""};
constexpr FontDef kStartFont{24, 400, "青鸟华光简彩云"};
constexpr FontDef kAdvertFont{29, 700, "黑体"};
constexpr FontDef kDefaultGuiFont{};

constexpr uint32_t kLabelPink = Rgb(255, 128, 128);
constexpr uint32_t kHelpPink = Rgb(255, 80, 128);

constexpr const char* kCaption = "KelvraV1.0 BY Ostrand QQ：555010727";
constexpr const char* kRateCaption = "中奖率设置-KelvraV1.0 BY Ostrand QQ：555010727";

constexpr const char* kInstructions =
    "软件支持自定义奖项中奖率，但十项的总和必须为100。\r\n"
    "如果某项不想被选中，设置为0即可。  \r\n"
    "                  摁【 CTRL+F12】 可调出调整界面\r\n"
    "\r\n"
    "例：\r\n"
    "奖项一：OPPO手机  中奖率：0   (0%)\r\n"
    "奖项二：谢谢参与  中奖率：20  (20%)\r\n"
    "奖项三：会员一月  中奖率：1   (1%)\r\n"
    "奖项四：谢谢参与  中奖率：25  (25%)\r\n"
    "奖项五：点歌一首  中奖率：15  (10%)\r\n"
    "奖项六：平板电脑  中奖率：0   (0%)\r\n"
    "奖项七：整蛊一次  中奖率：2   (2%)\r\n"
    "奖项八： 讲笑话   中奖率：5   (5%)\r\n"
    "奖项九：谢谢参与  中奖率：30  (30%)\r\n"
    "奖项十： 小礼物   中奖率：3   (3%)";

constexpr int32_t kWheelPage = 0;
constexpr int32_t kSettingsPage = 1;

struct Place {
    int32_t parent, page, left, top, width, height;
};

constexpr Place InWindow(int32_t self, int32_t l, int32_t t, int32_t w, int32_t h) {
    return {self, -1, l, t, w, h};
}
constexpr Place OnWheelPage(int32_t l, int32_t t, int32_t w, int32_t h) {
    return {ids::kMainTab, kWheelPage, l, t, w, h};
}
constexpr Place OnSettingsPage(int32_t l, int32_t t, int32_t w, int32_t h) {
    return {ids::kMainTab, kSettingsPage, l, t, w, h};
}

constexpr ControlDef At(ControlType type, const char* name, int32_t id, Place p) {
    ControlDef c{};
    c.type = type;
    c.name = name;
    c.id = id;
    c.parent = p.parent;
    c.page = p.page;
    c.left = p.left;
    c.top = p.top;
    c.width = p.width;
    c.height = p.height;
    return c;
}

constexpr ControlDef CanvasControl(const char* name, int32_t id, Place p) {
    ControlDef c = At(ControlType::CartoonBox, name, id, p);
    c.backColour = kWhite;
    c.picture = Asset::Sunburst;
    c.tabStop = true;
    return c;
}

// Templates are copied into sprites and never shown themselves.
constexpr ControlDef Template(const char* name, int32_t id, Place p, Asset picture,
                              bool rotateFollow) {
    ControlDef c = At(ControlType::CartoonObject, name, id, p);
    c.visible = false;
    c.picture = picture;
    c.rotateFollow = rotateFollow;
    return c;
}

constexpr ControlDef PrizeLabel(const char* name, int32_t id, Place p, const char* caption) {
    ControlDef c = At(ControlType::Label, name, id, p);
    c.font = kFormFont;
    c.textColour = kRed;
    c.backColour = kLabelPink;
    c.text = caption;
    c.vcentre = true;
    return c;
}

constexpr ControlDef Box(const char* name, int32_t id, Place p) {
    ControlDef c = At(ControlType::EditBox, name, id, p);
    c.font = kFormFont;
    c.textColour = kBlack;
    c.backColour = kWhite;
    c.align = Align::Centre;
    c.tabStop = true;
    return c;
}

constexpr ControlDef NameBox(const char* name, int32_t id, Place p) {
    ControlDef c = Box(name, id, p);
    c.maxLength = 9;
    return c;
}

constexpr ControlDef RateBox(const char* name, int32_t id, Place p, const char* rate) {
    ControlDef c = Box(name, id, p);
    c.text = rate;
    c.maxLength = 2;
    c.integerInput = true;
    return c;
}

constexpr ControlDef FormButton(const char* name, int32_t id, Place p, const char* caption) {
    ControlDef c = At(ControlType::Button, name, id, p);
    c.font = kFormFont;
    c.text = caption;
    c.align = Align::Centre;
    c.tabStop = true;
    return c;
}

constexpr ControlDef TabControl() {
    ControlDef c =
        At(ControlType::Tab, "选择夹1", ids::kMainTab, InWindow(ids::kMainSelf, 0, 0, 528, 552));
    c.font = kTabFont;
    c.text = "幸运转盘\n软件设置";
    return c;
}

constexpr ControlDef StartControl() {
    ControlDef c =
        At(ControlType::TransLabel, "透明标签1", ids::kMainStart, OnWheelPage(209, 228, 97, 97));
    c.font = kStartFont;
    c.textColour = kBlack;
    c.align = Align::Centre;
    c.vcentre = true;
    c.handCursor = true;
    return c;
}

constexpr ControlDef FeedbackLabel() {
    ControlDef c =
        At(ControlType::Label, "标签反馈", ids::kMainFeedback, OnSettingsPage(0, 528, 80, 24));
    c.font = kDefaultGuiFont;
    c.textColour = kBlack;
    c.backColour = kNoColour;
    return c;
}

constexpr ControlDef HelpText() {
    ControlDef c =
        At(ControlType::Label, "标签1", ids::kHelpText, InWindow(ids::kHelpSelf, 9, 8, 320, 192));
    c.font = kDefaultGuiFont;
    c.textColour = Rgb(0, 0, 255);
    c.backColour = kHelpPink;
    c.text = kInstructions;
    c.wrap = true;
    return c;
}

constexpr ControlDef Advert() {
    ControlDef c = At(ControlType::Label, "标签2", ids::kHelpAdvert,
                      InWindow(ids::kHelpSelf, 10, 208, 320, 48));
    c.font = kAdvertFont;
    c.textColour = Rgb(255, 255, 0);
    c.backColour = Rgb(255, 0, 255);
    c.text = "定 做 各 类 软 件";
    c.align = Align::Centre;
    c.vcentre = true;
    return c;
}

using ids::kMainNameBox;
using ids::kMainPrizeLabel;
using ids::kRateBox;
using ids::kRatePrizeLabel;

constexpr ControlDef kMainControls[] = {
    TabControl(),
    CanvasControl("动画框", ids::kMainCanvas, OnWheelPage(0, 20, 528, 548)),
    StartControl(),
    Template("底盘", ids::kMainPlate, OnWheelPage(482, 69, 160, 128), Asset::Plate, false),
    Template("指针", ids::kMainPointer, OnWheelPage(522, 141, 96, 144), Asset::Pointer, true),
    Template("按钮", ids::kMainHub, OnWheelPage(522, 293, 120, 120), Asset::Hub, false),
    Template("汉字", ids::kMainText, OnWheelPage(546, 485, 56, 40), Asset::None, true),
    CanvasControl("动画框1", ids::kMainSettingsCanvas, OnSettingsPage(0, 20, 528, 548)),
    PrizeLabel("标签1", kMainPrizeLabel[0], OnSettingsPage(129, 52, 80, 30), "奖项一："),
    NameBox("编辑框01", kMainNameBox[0], OnSettingsPage(209, 52, 152, 30)),
    PrizeLabel("标签2", kMainPrizeLabel[1], OnSettingsPage(129, 91, 80, 30), "奖项二："),
    NameBox("编辑框02", kMainNameBox[1], OnSettingsPage(209, 91, 152, 30)),
    PrizeLabel("标签4", kMainPrizeLabel[2], OnSettingsPage(129, 130, 80, 30), "奖项三："),
    NameBox("编辑框03", kMainNameBox[2], OnSettingsPage(209, 130, 152, 30)),
    PrizeLabel("标签3", kMainPrizeLabel[3], OnSettingsPage(129, 169, 80, 30), "奖项四："),
    NameBox("编辑框04", kMainNameBox[3], OnSettingsPage(209, 169, 152, 30)),
    PrizeLabel("标签6", kMainPrizeLabel[4], OnSettingsPage(129, 208, 80, 30), "奖项五："),
    NameBox("编辑框05", kMainNameBox[4], OnSettingsPage(209, 208, 152, 30)),
    PrizeLabel("标签5", kMainPrizeLabel[5], OnSettingsPage(129, 247, 80, 30), "奖项六："),
    NameBox("编辑框06", kMainNameBox[5], OnSettingsPage(209, 247, 152, 30)),
    PrizeLabel("标签8", kMainPrizeLabel[6], OnSettingsPage(129, 286, 80, 30), "奖项七："),
    NameBox("编辑框07", kMainNameBox[6], OnSettingsPage(209, 286, 152, 30)),
    PrizeLabel("标签7", kMainPrizeLabel[7], OnSettingsPage(129, 325, 80, 30), "奖项八："),
    NameBox("编辑框08", kMainNameBox[7], OnSettingsPage(209, 325, 152, 30)),
    PrizeLabel("标签10", kMainPrizeLabel[8], OnSettingsPage(129, 364, 80, 30), "奖项九："),
    NameBox("编辑框09", kMainNameBox[8], OnSettingsPage(209, 364, 152, 30)),
    PrizeLabel("标签9", kMainPrizeLabel[9], OnSettingsPage(129, 403, 80, 30), "奖项十："),
    NameBox("编辑框10", kMainNameBox[9], OnSettingsPage(209, 403, 152, 30)),
    FormButton("按钮保存1", ids::kMainHelp, OnSettingsPage(22, 497, 112, 30), "说明"),
    FormButton("按钮保存", ids::kMainSaveNames, OnSettingsPage(385, 497, 112, 30), "保存"),
    FeedbackLabel(),
};

constexpr Place InRate(int32_t l, int32_t t, int32_t w, int32_t h) {
    return InWindow(ids::kRateSelf, l, t, w, h);
}

constexpr ControlDef kRateControls[] = {
    CanvasControl("动画框", ids::kRateCanvas, InRate(0, 0, 353, 315)),
    PrizeLabel("标签1", kRatePrizeLabel[0], InRate(8, 8, 80, 30), "奖项一："),
    RateBox("编辑框01", kRateBox[0], InRate(88, 8, 80, 30), "0"),
    PrizeLabel("标签2", kRatePrizeLabel[1], InRate(8, 47, 80, 30), "奖项二："),
    RateBox("编辑框02", kRateBox[1], InRate(88, 47, 80, 30), "20"),
    PrizeLabel("标签4", kRatePrizeLabel[2], InRate(8, 86, 80, 30), "奖项三："),
    RateBox("编辑框03", kRateBox[2], InRate(88, 86, 80, 30), "1"),
    PrizeLabel("标签3", kRatePrizeLabel[3], InRate(8, 125, 80, 30), "奖项四："),
    RateBox("编辑框04", kRateBox[3], InRate(88, 125, 80, 30), "25"),
    PrizeLabel("标签6", kRatePrizeLabel[4], InRate(8, 164, 80, 30), "奖项五："),
    RateBox("编辑框05", kRateBox[4], InRate(88, 164, 80, 30), "15"),
    PrizeLabel("标签5", kRatePrizeLabel[5], InRate(176, 8, 80, 30), "奖项六："),
    RateBox("编辑框06", kRateBox[5], InRate(256, 8, 80, 30), "0"),
    PrizeLabel("标签8", kRatePrizeLabel[6], InRate(176, 47, 80, 30), "奖项七："),
    RateBox("编辑框07", kRateBox[6], InRate(256, 47, 80, 30), "1"),
    PrizeLabel("标签7", kRatePrizeLabel[7], InRate(176, 86, 80, 30), "奖项八："),
    RateBox("编辑框08", kRateBox[7], InRate(256, 86, 80, 30), "5"),
    PrizeLabel("标签10", kRatePrizeLabel[8], InRate(176, 125, 80, 30), "奖项九："),
    RateBox("编辑框09", kRateBox[8], InRate(256, 125, 80, 30), "30"),
    PrizeLabel("标签9", kRatePrizeLabel[9], InRate(176, 164, 80, 30), "奖项十："),
    RateBox("编辑框10", kRateBox[9], InRate(256, 164, 80, 30), "3"),
    PrizeLabel("标签11", ids::kRateTotal, InRate(8, 208, 328, 32), "当前中奖率："),
    FormButton("按钮1", ids::kRateSave, InRate(89, 248, 168, 32), "保存"),
};

constexpr ControlDef kHelpControls[] = {
    CanvasControl("动画框", ids::kHelpCanvas, InWindow(ids::kHelpSelf, 0, 0, 346, 294)),
    HelpText(),
    Advert(),
};

constexpr WindowDef kMainWindow{.id = WindowId::Main,
                                .selfId = ids::kMainSelf,
                                .name = "启动窗口",
                                .caption = kCaption,
                                .width = 528,
                                .height = 579,
                                .backColour = kNoColour,
                                .ownIcon = true,
                                .controls = kMainControls};
constexpr WindowDef kRateWindow{.id = WindowId::Rate,
                                .selfId = ids::kRateSelf,
                                .name = "中奖率窗口",
                                .caption = kRateCaption,
                                .width = 353,
                                .height = 315,
                                .backColour = kNoColour,
                                .ownIcon = false,
                                .controls = kRateControls};
constexpr WindowDef kHelpWindow{.id = WindowId::Help,
                                .selfId = ids::kHelpSelf,
                                .name = "说明窗口",
                                .caption = kCaption,
                                .width = 346,
                                .height = 294,
                                .backColour = kHelpPink,
                                .ownIcon = false,
                                .controls = kHelpControls};

}  // namespace

const WindowDef& MainWindowDef() {
    return kMainWindow;
}
const WindowDef& RateWindowDef() {
    return kRateWindow;
}
const WindowDef& HelpWindowDef() {
    return kHelpWindow;
}

const WindowDef* FindWindowDef(int32_t windowId) {
    switch (static_cast<WindowId>(windowId)) {
        case WindowId::Main:
            return &kMainWindow;
        case WindowId::Rate:
            return &kRateWindow;
        case WindowId::Help:
            return &kHelpWindow;
    }
    return nullptr;
}

const ControlDef* FindControl(const WindowDef& window, const char* name) {
    if (name == nullptr) return nullptr;
    for (const ControlDef& c : window.controls) {
        if (std::strcmp(c.name, name) == 0) return &c;
    }
    return nullptr;
}

const ControlDef* FindControl(const WindowDef& window, int32_t componentId) {
    for (const ControlDef& c : window.controls) {
        if (c.id == componentId) return &c;
    }
    return nullptr;
}

}  // namespace kelvra
