#pragma once
// Component ids of the three windows, so the logic names controls without their GBK names.
// Ids are unique within their window; each window's own id differs from its controls'. The
// arrays are indexed by prize (0 = prize 1); the labels' names do not follow that order, their
// captions do.

#include <cstdint>

namespace kelvra::ids {

// Main window.
constexpr int32_t kMainSelf = 1;
constexpr int32_t kMainTab = 2;  // 选择夹1
// Wheel page.
constexpr int32_t kMainCanvas = 3;   // 动画框
constexpr int32_t kMainStart = 4;    // 透明标签1
constexpr int32_t kMainPlate = 5;    // 底盘
constexpr int32_t kMainPointer = 6;  // 指针
constexpr int32_t kMainHub = 7;      // 按钮
constexpr int32_t kMainText = 8;     // 汉字
// Settings page.
constexpr int32_t kMainSettingsCanvas = 9;  // 动画框1
constexpr int32_t kMainHelp = 30;           // 按钮保存1
constexpr int32_t kMainSaveNames = 31;      // 按钮保存
constexpr int32_t kMainFeedback = 32;       // 标签反馈
// 编辑框01..10 and the labels beside them.
constexpr int32_t kMainNameBox[10] = {11, 13, 15, 17, 19, 21, 23, 25, 27, 29};
constexpr int32_t kMainPrizeLabel[10] = {10, 12, 14, 16, 18, 20, 22, 24, 26, 28};

// Rate window.
constexpr int32_t kRateSelf = 1;
constexpr int32_t kRateCanvas = 2;  // 动画框
constexpr int32_t kRateTotal = 23;  // 标签11
constexpr int32_t kRateSave = 24;   // 按钮1
// 编辑框01..10 and the labels beside them.
constexpr int32_t kRateBox[10] = {4, 6, 8, 10, 12, 14, 16, 18, 20, 22};
constexpr int32_t kRatePrizeLabel[10] = {3, 5, 7, 9, 11, 13, 15, 17, 19, 21};

// Instructions window.
constexpr int32_t kHelpSelf = 1;
constexpr int32_t kHelpCanvas = 2;  // 动画框
constexpr int32_t kHelpText = 3;    // 标签1
constexpr int32_t kHelpAdvert = 4;  // 标签2

}  // namespace kelvra::ids
