#pragma once

#include <string>

#include "app/WizardPage.h"
#include "controls/BitmapButton.h"

namespace vorlune {

// Step 1: the button that opens the song dialog (through the frame's Open
// command), the box with the chosen song's name, and the button to the
// second website.
class Step1Page : public WizardPage {
public:
    using WizardPage::WizardPage;
    ~Step1Page() override;

    bool CanGoBack() const override { return false; }
    // A song is chosen and still there.
    bool CanGoNext() const override;
    std::vector<HWND> TabStops() const override { return {choose_.Hwnd(), secondWebsite_.Hwnd()}; }

    // The Open dialog; true when the user chose a song and it was accepted.
    bool ChooseSong() noexcept;
    // Makes path the project's song when it is an existing .mp3 whose head
    // decodes; otherwise says why in a message box and changes nothing.
    bool AcceptSong(const std::wstring& path) noexcept;

    // Repaints when the song appeared or went away since the last paint.
    void RefreshIfChanged() noexcept;

    BitmapButton& ChooseButton() noexcept { return choose_; }
    BitmapButton& SecondWebsiteButton() noexcept { return secondWebsite_; }

protected:
    bool CreateContent() override;
    void DrawContent(HDC dc) override;
    std::wstring AccessibleName() const override;
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool OnCommand(WPARAM wParam, LPARAM lParam) noexcept;

    Surface24 prompt_;
    Surface24 nameBox_;
    BitmapButton choose_;
    BitmapButton secondWebsite_;
    bool showsName_ = false;
};

}  // namespace vorlune
