// What the program asks of the system outside its window: the text of an error, the clipboard.
#include <gtest/gtest.h>

#include <cwchar>

#include "platform/win32_platform.h"

namespace {

// What a box says of an error that the system has no text for.
TEST(SystemMessage, ACodeWithoutTextIsNamedByItsNumber) {
    EXPECT_EQ(kavren::systemMessage(0x20000000), L"Error 536870912.");
}

// "Copy path" ends the clipboard's text with its NUL, where a paste stops, also in memory that held a
// longer text before, as the heap hands out again a block of that size just freed. Looked at before the
// clipboard has it: Wine's SetClipboardData writes a NUL at the block's end itself.
TEST(Clipboard, TheCopiedTextEndsAtItsNulInMemoryThatHeldAnotherText) {
    const std::wstring path = L"C:\\Games\\Data";
    const HGLOBAL freed = GlobalAlloc(GMEM_MOVEABLE, (path.size() + 1) * sizeof(wchar_t));
    const void* letters = std::wmemset(static_cast<wchar_t*>(GlobalLock(freed)), L'x', path.size() + 1);
    GlobalUnlock(freed);
    GlobalFree(freed);
    const kavren::UniqueGlobal copied = kavren::clipboardText(path);
    const auto* text = static_cast<const wchar_t*>(GlobalLock(copied.get()));
    EXPECT_EQ(text, letters) << "the copy did not get the memory that held letters";
    EXPECT_EQ(std::wstring(text, wcsnlen(text, GlobalSize(copied.get()) / sizeof(wchar_t))), path);
    GlobalUnlock(copied.get());
}

}  // namespace
