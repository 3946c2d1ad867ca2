// The form's control table, sizes and fonts, apart from the window code, so that the
// bench floor can make the same controls without linking the rest of the shell.
#include "app/control_table.h"

#include <commctrl.h>

namespace kavren {

// In creation order, which is the z-order: TAB takes the tab stops in it, as a cycle (the focus
// starts on dirb), and screen readers name a box by the nearest label before it, stopping at a
// group's first tab stop. So "Path:" stands just before the path box, the instruction label just
// before the directory list, and no label before the drive list.
const std::array<ControlSpec, kControlCount> kControlTable{{
    // Without CBS_NOINTEGRALHEIGHT, common controls 6 drops 30 entries, whatever the height.
    {L"drvb", WC_COMBOBOXW, WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT, 0, L"", 120, 120,
     2655, 300, 900, FW_NORMAL},
    {L"Label2", WC_STATICW, SS_LEFT | SS_NOPREFIX, 0, L"Path:", 3000, 840, 4455, 255, 900, FW_NORMAL},
    // "Path:" reaches a pixel into the path box; the layout keeps the label beneath the box.
    {L"txtpath", WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, L"Text1", 3000, 1080,
     4455, 255, 675, FW_NORMAL},
    {L"cmdu", WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, L"Unpack it!", 3000, 2160, 3255, 375, 1200, FW_BOLD},
    {L"cmdp", WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, L"Pack it!", 3000, 2640, 3255, 375, 1200, FW_BOLD},
    {L"optr", WC_BUTTONW, WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE | BS_TOP, 0,
     L"Pack/Unpack Recursive (include all subdirectories)", 3000, 1440, 4455, 495, 900, FW_NORMAL},
    {L"Command1", WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, L"About", 6360, 2160, 1095, 375, 900, FW_NORMAL},
    {L"Command2", WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, L"Hide", 6360, 2640, 1095, 375, 900, FW_NORMAL},
    {L"Label1", WC_STATICW, SS_LEFT | SS_NOPREFIX, 0,
     L"Choose the directory where the KAV.REN file is on the left. (you need to double click it)", 3000, 120, 4455,
     615, 900, FW_NORMAL},
    {L"dirb", WC_LISTBOXW,
     WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
     WS_EX_CLIENTEDGE, L"", 120, 480, 2655, 2610, 900, FW_NORMAL},
}};

int twipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

int fontHeight(int centipoints, UINT dpi) { return -MulDiv(centipoints, static_cast<int>(dpi), 7200); }

HFONT createControlFont(const ControlSpec& row, UINT dpi) {
    LOGFONTW logFont{};
    logFont.lfHeight = fontHeight(row.centipoints, dpi);
    logFont.lfWeight = row.weight;
    logFont.lfCharSet = ANSI_CHARSET;
    logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    // Where Lucida Console is missing, the mapper then picks another fixed-pitch face, not a proportional one.
    logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy_s(logFont.lfFaceName, kFontFace);
    return CreateFontIndirectW(&logFont);
}

}  // namespace kavren
