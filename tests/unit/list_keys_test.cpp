// The directory list's keys and its menu, against the fakes: letters typed in a row, up a folder,
// and each of the menu's choices.
#include <gtest/gtest.h>

#include <utility>

#include "form1_world.h"

namespace kavren {
namespace {

// Letters typed in a row find the first entry beginning with all of them (case ignored), a letter added
// keeping the highlight while it matches; a pause starts a new search after the highlighted entry,
// the same letter again steps on, no match leaves the highlight. Typing opens nothing.
TEST_F(Form1Test, LettersTypedInARowHighlightTheEntryThatBeginsWithThem) {
    const std::wstring astral{wchar_t{0xD800}, wchar_t{0xDC00}, L'x'};  // U+10000 in UTF-16, as Windows has it
    platform.tree[L"C:\\Work"] = {L"Cache", L"Config", L"Saves", L"Screen Shots", L"Scripts", L"Sounds",
                                  L"\u6570\u636e", L"\u6570\u7801", astral};
    form.dirb_Activate(1);
    std::uint32_t time = 100000;
    Texts seen;
    const auto type = [&](std::wstring_view letters, std::uint32_t after = 10) {
        for (wchar_t letter : letters) {
            form.dirb_Type(letter, time += std::exchange(after, 10));
            seen.push_back(view.shown.at(*view.highlighted));
        }
    };
    type(L"sc\x01ri");  // Ctrl+A between: a control character is no letter
    type(L"s", 1000);
    type(L"ss");
    type(L"c");  // "sssc" begins nothing
    view.highlighted.reset();  // none highlighted: from the top
    type(L"C", 5000);  // the root, named "C:\\"
    type(L"O", 999);  // "CO" from the root itself
    type(L"\u6570", 1000);  // a character from an input method; then the second of a name
    type(L"\u7801");
    type(astral.substr(0, 2), 1000);  // one character in two halves
    type(L"zx", 1000);  // no match
    EXPECT_EQ(seen, (Texts{L"Saves", L"Screen Shots", L"Screen Shots", L"Screen Shots", L"Scripts", L"Sounds", L"Saves",
                           L"Screen Shots", L"Screen Shots", L"C:\\", L"Config", L"\u6570\u636e", L"\u6570\u7801",
                           L"\u6570\u7801", astral, astral, astral}));
    EXPECT_EQ(form.dirb().path(), L"C:\\Work");
}

// Backspace and Alt+Up open the parent as a double-click on its entry would; at a root, nothing.
// The menu's choices: the clipboard, Explorer, and Unpack and Pack through the confirmation.
TEST_F(Form1Test, UpOneFolderAndTheEntryMenusChoices) {
    form.dirb_Activate(2);
    for (int up = 0; up < 3; ++up) form.dirb_Up();
    EXPECT_EQ(state(), State(L"C:\\", L"C:", {L"C:\\", L"Work"}, L"C:\\"));

    form.dirb_Choose(1, EntryChoice::copyPath);
    form.dirb_Choose(0, EntryChoice::openInExplorer);
    EXPECT_EQ(platform.clipboard, Texts{L"C:\\Work"});
    EXPECT_EQ(platform.explored, Texts{L"C:\\"});
    EXPECT_EQ(state(), State(L"C:\\", L"C:", {L"C:\\", L"Work"}, L"C:\\"));
    form.dirb_Choose(1, EntryChoice::open);
    platform.answerYes = false;
    form.dirb_Choose(2, EntryChoice::unpack);
    EXPECT_EQ(state(), State(L"C:\\Work\\Game Data", L"C:", {L"C:\\", L"Work", L"Game Data"}, L"C:\\Work\\Game Data"));
    platform.answerYes = true;
    view.recursive = true;
    form.dirb_Choose(1, EntryChoice::pack);
    platform.tree.erase(L"C:\\Work\\Other");
    form.dirb_Choose(3, EntryChoice::unpack);  // Other, which cannot be read: nothing is asked
    form.dirb_Choose(4, EntryChoice::pack);  // past the last entry
    const std::wstring ask = L"[Yes/No] Anti-misclick v1.0: Sure to ";
    EXPECT_EQ(platform.messages, (Texts{ask + L"UNPACK?\r\nPath: C:\\Work\\Game Data\r\nFiles extracted before will be overwritten if they exist.",
                                        ask + L"PACK?\r\nPath: C:\\Work\r\nKAV.REN will be overwritten.",
                                        L"KAVREN tool UI: The directory C:\\Work\\Other cannot be read.\r\nThe device is not ready."}));
    EXPECT_EQ(platform.started, Texts{L"cmd /K \" \"E:\\Tools\\KavRenTool.exe\" pr \"C:\\Work\" \""});
    platform.failStart = true;  // nor can Explorer start
    form.dirb_Choose(0, EntryChoice::openInExplorer);
    EXPECT_EQ(platform.messages.back(), L"KAVREN tool UI: The directory name is invalid.");
}


}  // namespace
}  // namespace kavren
