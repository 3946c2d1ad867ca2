// What the handlers see of the form (FormView), read from and written to the real controls.
#pragma once

#include <windows.h>

#include <optional>

#include "app/control_table.h"
#include "app/entry_tooltip.h"
#include "app/form1.h"

namespace kavren {

class Win32FormView : public FormView {
public:
    // `controls` are filled in as the window creates them, and `tooltip` once the list is there.
    Win32FormView(const ControlWindows& controls, std::optional<EntryTooltip>& tooltip)
        : controls_(controls), tooltip_(tooltip) {}

    std::wstring pathText() override;
    void setPathText(std::wstring_view text) override;
    bool recursiveChecked() override;
    std::wstring selectedDrive() override;
    void showDrives(const std::vector<std::wstring>& entries, std::wstring_view current) override;
    void selectDrive(std::wstring_view drive) override;
    bool drivesDropped() override;
    void showDirectories(const DirectoryList& list) override;
    void updateDirectories(const DirectoryList& list, const std::vector<ListEdit>& edits) override;
    void redrawDirectory(std::size_t index) override;
    std::optional<std::size_t> highlightedDirectory() override;
    void highlightDirectory(std::size_t index) override;
    void minimise() override;

private:
    HWND control(Control which) const { return controls_[static_cast<int>(which)]; }
    void rowsMoved() {
        if (tooltip_) tooltip_->rowsMoved();
    }

    const ControlWindows& controls_;
    std::optional<EntryTooltip>& tooltip_;
};

}  // namespace kavren
