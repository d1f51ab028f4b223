#pragma once

#include <string>

#include "app/WizardPage.h"

namespace vorlune {

// Step 2: where the song is cut and previewed. It holds the song it has
// loaded; the wizard loads the project's song into it whenever step 2 or 3
// is entered with another one.
class Step2Page : public WizardPage {
public:
    using WizardPage::WizardPage;
    ~Step2Page() override;

    void LoadSong(const std::wstring& path);
    const std::wstring& LoadedSongPath() const noexcept { return loadedPath_; }
    // How many times a song was loaded, for the wizard's tests.
    int SongLoads() const noexcept { return songLoads_; }

    // The chosen part as fractions of the song, and the fades: the whole
    // song without fades until the page has its track bar and check boxes.
    double SelectionStart() const noexcept { return 0.0; }
    double SelectionEnd() const noexcept { return 1.0; }
    bool FadeIn() const noexcept { return false; }
    bool FadeOut() const noexcept { return false; }

private:
    std::wstring loadedPath_;
    int songLoads_ = 0;
};

}  // namespace vorlune
