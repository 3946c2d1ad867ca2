// The form's layout at one DPI: the control table in pixels with its fonts, the window's
// size for its client area, the heights of both lists, labels kept beneath the boxes they
// reach into, and what a change of DPI does, minimised or not.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "app/control_table.h"
#include "app/font_handle.h"

namespace kavren {

class ScriptFonts;

class FormLayout {
public:
    // For `form`, at the DPI of its monitor; `controls` are filled in as they are created.
    FormLayout(HWND form, const ControlWindows& controls);

    UINT dpi() const { return dpi_; }
    // A row's rectangle in the client area, in pixels.
    RECT place(const ControlSpec& row) const;
    // A row's font: one per size and weight, kept for as long as this DPI lasts.
    HFONT fontFor(const ControlSpec& row);

    // The window's size for the client area of the table; before the controls exist too.
    void sizeForm();
    // The lists' heights, once the controls stand at their places.
    void fitListHeights();
    // WM_CTLCOLORSTATIC: a label is about to paint with `dc`.
    void keepLabelBeneathBoxes(HWND label, HDC dc) const;
    // The monitor's DPI changed; `suggested` is where the system would put the window.
    void changeDpi(UINT dpi, const RECT& suggested);
    // The window came back from being minimised.
    void restored();

    // The path box or the drive list takes a face that has every character of `text`, what it shows:
    // Lucida Console whenever that has them, else the one that `fonts` finds.
    void fitFontToText(Control which, std::wstring_view text, ScriptFonts& fonts);

    // The height of one directory list row.
    int directoryItemHeight();

private:
    struct Font {
        int centipoints;
        int weight;
        UniqueFont handle;
    };
    HWND control(Control which) const { return controls_[static_cast<int>(which)]; }
    void fitDriveListHeight();

    HWND form_;
    const ControlWindows& controls_;
    UINT dpi_;
    std::vector<Font> fonts_;
    bool fitOnRestore_ = false;  // the DPI changed while the window was minimised
};

}  // namespace kavren
