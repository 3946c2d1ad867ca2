// What the program asks of the system outside its window: the text of an error, the clipboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "platform/win32_platform.h"

namespace {

// What a box says of an error that the system has no text for.
TEST(SystemMessage, ACodeWithoutTextIsNamedByItsNumber) {
    EXPECT_EQ(kavren::systemMessage(0x20000000), L"Error 536870912.");
}

// "Copy path" ends the clipboard's text with its NUL, where a paste stops, also in memory that held a
// longer text before: the heap hands out again the blocks of that size just freed, here full of letters.
// Looked at before the clipboard has it: Wine's SetClipboardData writes a NUL at the block's end itself.
TEST(Clipboard, TheCopiedTextEndsAtItsNulInMemoryThatHeldAnotherText) {
    const std::wstring path = L"C:\\Games\\Data";
    std::vector<HGLOBAL> used(64);
    std::vector<const void*> lettered;
    for (HGLOBAL& block : used) {
        block = GlobalAlloc(GMEM_MOVEABLE, (path.size() + 1) * sizeof(wchar_t));
        lettered.push_back(std::wmemset(static_cast<wchar_t*>(GlobalLock(block)), L'x', path.size() + 1));
        GlobalUnlock(block);
    }
    for (HGLOBAL block : used) GlobalFree(block);
    const kavren::UniqueGlobal copied = kavren::clipboardText(path);
    const auto* text = static_cast<const wchar_t*>(GlobalLock(copied.get()));
    ASSERT_NE(std::find(lettered.begin(), lettered.end(), text), lettered.end()) << "the copy did not get memory that held letters";
    EXPECT_EQ(std::wstring(text, wcsnlen(text, GlobalSize(copied.get()) / sizeof(wchar_t))), path);
    GlobalUnlock(copied.get());
}

}  // namespace
