// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

// How the main window and the value editor are laid out, whatever toolkit draws them:
// places in twips, the tab order, the captions with their access keys ('&' before the key).
namespace zerka {

// Control positions are kept in twips, as the window was laid out; the screen mapping is
// 15 twips per pixel at 96 DPI, so the client area of 9990 x 4200 twips is 666 x 280.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidthTwips = 9990;
inline constexpr int kClientHeightTwips = 4200;

struct TwipRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

// Pixels for twips at 96 DPI, rounded to the nearest.
constexpr int ToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }
// The same at another DPI, for a window that scales with its monitor.
constexpr int ToPixelsAt(int twips, int dpi)
{
    return (twips * dpi + kTwipsPerPixel * 96 / 2) / (kTwipsPerPixel * 96);
}

// The caption of the window and of every message box.
inline constexpr const char *kAppCaption = "Zerka";

struct ControlPlace {
    std::string_view Name;
    TwipRect Rect;
};

// Everything from a top of 4560 down lies below the client area and is never seen.
inline constexpr ControlPlace kControlPlaces[] = {
    {"Frame1", {120, 0, 7095, 4095}},      {"Drive1", {240, 240, 3135, 315}},
    {"Dir1", {240, 720, 3135, 3240}},      {"File1", {3480, 200, 3615, 3795}},
    {"Frame2", {7320, 0, 2535, 2415}},     {"cmdLoadOld", {7560, 240, 2055, 375}},
    {"lblOld", {7560, 720, 2055, 525}},    {"cmdLoad3do", {7560, 1320, 2055, 375}},
    {"lbl3do", {7560, 1800, 2055, 525}},   {"Frame3", {7320, 2520, 2535, 1575}},
    {"cmdAll", {7560, 3000, 2055, 375}},   {"pb1", {7560, 3600, 2055, 255}},
    {"cmdSave", {3480, 4560, 1815, 375}},  {"cmdListMesh", {5280, 4560, 1815, 375}},
    {"fgNodes", {120, 4920, 10215, 5055}}, {"Text1", {840, 5280, 8055, 3855}},
};

inline constexpr std::string_view kTabOrder[] = {
    "Drive1",     "Dir1", "File1",  "cmdListMesh", "Text1",  "fgNodes", "cmdSave", "cmdAll",
    "cmdLoad3do", "pb1",  "Frame1", "cmdLoadOld",  "lbl3do", "lblOld",  "Frame2",  "Frame3",
};

struct ControlCaption {
    std::string_view Name;
    std::string_view Caption;
};

inline constexpr ControlCaption kCaptions[] = {
    {"Frame1", "Step 1: Select Directory of Keyframes to convert:"},
    {"Frame2", "Step 2: Load Hierarchies:"},
    {"Frame3", "Step 3: Convert!"},
    {"cmdLoadOld", "Load &Old Hierarchy"},
    {"lblOld", "Old Hierarchy File:"},
    {"cmdLoad3do", "Load &New Hierarchy"},
    {"lbl3do", "New Hierarchy File:"},
    {"cmdAll", "&Convert all in Directory"},
    {"cmdSave", "Backup and save"},
    {"cmdListMesh", "Get Keyframe Info"},
};

// The place of a control of the main window, by name; the window has every one of them.
constexpr TwipRect PlaceOf(std::string_view name)
{
    for (const ControlPlace &place : kControlPlaces)
        if (place.Name == name)
            return place.Rect;
    return {0, 0, 0, 0};
}

constexpr std::string_view CaptionOf(std::string_view name)
{
    for (const ControlCaption &caption : kCaptions)
        if (caption.Name == name)
            return caption.Caption;
    return {};
}

// The file dialog a model file is chosen in.
inline constexpr const char *kHierarchyDialogTitle = "Load Hierarchy from 3do...";
inline constexpr const char *kHierarchyFilterName = "3do Files (*.3do)";
inline constexpr const char *kHierarchyPattern = "*.3do";

// The value editor: its caption, the labels of its two boxes, its buttons, their widths.
inline constexpr const char *kEditorCaption = "Edit Value";
inline constexpr const char *kEditorCurrentLabel = "Current Value:";
inline constexpr const char *kEditorNewLabel = "Change to:";
inline constexpr const char *kEditorSaveCaption = "&Save";
inline constexpr const char *kEditorCancelCaption = "&Cancel";
inline constexpr int kEditorBoxWidthTwips = 1455;
inline constexpr int kEditorButtonWidthTwips = 1215;

}  // namespace zerka
