// The window's commands on the real window: drops, Pack, Unpack, About and Hide with their boxes,
// and what hours of such use leave behind.
#include <fstream>

#include "form1_window.h"

namespace {

using namespace form1_window;

// The window takes drops anywhere: the system hands a drop on a child to the first ancestor with this style.
TEST_F(Form1Window, ADroppedFolderOrFileBecomesThePathAndShellAndComWaitUntilNeeded) {
    EXPECT_TRUE(GetWindowLongW(window.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(GetModuleHandleW(L"shell32.dll"), nullptr) << "shell32 loaded at start-up";
    std::ofstream(work / L"b9" / L"KAV.REN") << "archive";
    SetWindowTextW(control(Control::txtpath), L"typed");
    drop({work / L"b9" / L"KAV.REN", work / L"a dir"});
    EXPECT_EQ(text(Control::txtpath), (work / L"b9").wstring());
    EXPECT_EQ(highlighted(), L"b9");
    EXPECT_TRUE(boxes.empty()) << "a drop asks nothing";

    // COM starts when the path box first takes the focus, for the folder suggestions.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
    SetFocus(control(Control::txtpath));
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
}

// Free slots of the GDI table: pens made until the system refuses one, then deleted again.
// (GetGuiResources and GetProcessHandleCount answer 0 under Wine.)
std::size_t freeGdiSlots() {
    std::vector<HPEN> pens;
    for (HPEN pen; (pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));) pens.push_back(pen);
    for (HPEN pen : pens) DeleteObject(pen);
    return pens.size();
}

// Kernel handles: the small values that name one.
int kernelHandles() {
    int held = 0;
    DWORD flags = 0;
    for (std::uintptr_t value = 4; value < 0x4000; value += 4)
        held += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return held;
}

// The window stays open for hours, and Windows gives a process at most 10,000 GDI objects.
TEST_F(Form1Window, CommandsAskFirstHideKeepsTheFormAndHoursOfUseHoldNothingMore) {
    // A while of what users do: walk the list, move to a monitor of another DPI and back, let the
    // window repaint, read About, say No to Pack and Yes to Unpack (a console with the tool opens),
    // hide the window and bring it back, drop a folder on it.
    const auto useTheWindow = [this] {
        clickEntry(L"a dir", true);
        clickEntry(chain.back(), true);
        for (const UINT dpi : {144u, 96u}) {
            RECT rect{};
            GetWindowRect(window.hwnd(), &rect);
            SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect));
            RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        click(Control::Command1);
        answer = IDNO;
        click(Control::cmdp);
        answer = IDYES;
        click(Control::cmdu);
        click(Control::Command2);
        EXPECT_TRUE(IsIconic(window.hwnd()) && IsWindowVisible(window.hwnd())) << "not minimised";
        ShowWindow(window.hwnd(), SW_RESTORE);
        drop({work / L"b9"});
        clickEntry(chain.back(), true);
    };
    useTheWindow();  // and what the system makes once and keeps: fonts of a DPI, COM, shell32
    const std::size_t freeBefore = freeGdiSlots();
    const int handlesBefore = kernelHandles();
    for (int round = 0; round < 5; ++round) useTheWindow();
    const std::size_t freeAfter = freeGdiSlots();
    const int handlesAfter = kernelHandles();
    // Five rounds paint over a hundred rows, make 30 fonts and start five consoles: one object lost
    // per row, font or console shows five times over, beyond what a system cache may keep.
    EXPECT_GE(freeAfter + 2, freeBefore) << freeBefore << " free GDI slots before, " << freeAfter << " after";
    EXPECT_LE(handlesAfter, handlesBefore + 2) << handlesBefore << " kernel handles before, " << handlesAfter << " after";

    // cmd /K " "<dir>\KavRenTool.exe" u "<path>" " of 32,767 characters, one more than Windows starts;
    // Wine would cut it and run what is left. Answered No, nothing starts and nothing is said.
    const std::wstring tooLong(32767 - 33 - platform.programDirectory().size(), L'x');
    SetWindowTextW(control(Control::txtpath), tooLong.c_str());
    for (const int answered : {IDNO, IDYES}) answer = answered, click(Control::cmdu);
    ASSERT_EQ(boxes.size(), 21u) << "About, Pack, Unpack each round; No to a start that fails, then Yes";
    for (int i : {1, 2, 18, 19}) {
        EXPECT_EQ(boxes[i].title, L"Anti-misclick v1.0");
        EXPECT_EQ(boxes[i].buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(boxes[i].defaultButton, IDYES);
    }
    EXPECT_EQ(boxes[0].title, L"About KAVREN UI");
    EXPECT_EQ(boxes[20].title, L"KAVREN tool UI");
    for (int i : {0, 20}) EXPECT_EQ(boxes[i].buttons, std::vector<int>{IDOK});
    for (const Box& box : boxes) EXPECT_TRUE(!box.icon && box.owner == window.hwnd()) << "icon or owner";
}

}  // namespace
