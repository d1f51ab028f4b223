#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/WizardPage.h"
#include "controls/BitmapButton.h"
#include "controls/PreviewPlayer.h"
#include "controls/VeCheckboxCtrl.h"
#include "controls/VePlayTimeCtrl.h"
#include "controls/VeTimeTipsCtrl.h"
#include "controls/VeTrackBarCtrl.h"
#include "gfx/Surface.h"
#include "win/GuiHandles.h"

namespace vorlune {

// Posted by the player's graph to the page: events are waiting.
constexpr UINT WM_PLAYER_GRAPHEVENT = WM_APP + 1002;

// Step 2: where the song is cut and previewed. The track bar chooses the
// part, Play/Pause and Stop play exactly that part, and the two boxes choose
// the fades. The wizard loads the project's song into it whenever step 2 or
// 3 is entered with another one, and reads the choices when step 3 is
// entered.
class Step2Page : public WizardPage, private GraphEventSink {
public:
    explicit Step2Page(WizardView* view) noexcept;
    ~Step2Page() override;

    // Loads the song into the player with the default selection. When the
    // player cannot take it, the page shows no song and forgets the path:
    // the player has let the old song go, so it must be loaded again.
    bool LoadSong(const std::wstring& path) noexcept;
    const std::wstring& LoadedSongPath() const noexcept { return loadedPath_; }
    // How many loads were asked for, also failed ones, for the wizard's tests.
    int SongLoads() const noexcept { return songLoads_; }

    // Leaving the page: playback stops, a pause stays a pause.
    void StopIfPlaying() noexcept;
    // The keys' Space and Esc: the Play/Pause and Stop buttons pressed, as
    // a click presses them (Stop only while it is enabled).
    void PressPlayPause() noexcept { playPause_.Click(); }
    void PressStop() noexcept { stop_.Click(); }

    std::vector<HWND> TabStops() const override;

    // The selection as fractions of the song, and the fades.
    double GetStartFraction() const noexcept { return trackBar_.GetStartFraction(); }
    double GetEndFraction() const noexcept { return trackBar_.GetEndFraction(); }
    bool FadeIn() const noexcept { return fadeIn_.IsChecked(); }
    bool FadeOut() const noexcept { return fadeOut_.IsChecked(); }

    PreviewPlayer& Player() noexcept { return player_; }
    VeTrackBarCtrl& TrackBar() noexcept { return trackBar_; }
    UINT_PTR TimerId() const noexcept { return timerId_; }
    bool TimerRunning() const noexcept { return timer_.Running(); }

protected:
    bool CreateContent() override;
    void DrawContent(HDC dc) override;
    std::wstring AccessibleName() const override { return L"Drag the sliders to select the best part."; }
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnDestroy() noexcept;
    void OnPlayPause() noexcept;
    void OnStop() noexcept;
    void FollowPlayer() noexcept;
    void OnRangeChanged(bool startThumb) noexcept;
    void OnSeek(int x) noexcept;
    long OnGraphEvent(long code, LONG_PTR param1, LONG_PTR param2) noexcept override;

    // After a command or a load: buttons, position, tips, in that order.
    void Refresh() noexcept;
    void RefreshButtons() noexcept;
    void RefreshPosition() noexcept;
    void RefreshTips() noexcept;
    void PlaceTip(VeTimeTipsCtrl& tip, double fraction, int column, bool endsOnColumn, int64_t duration) noexcept;
    int64_t Duration() const noexcept;
    int64_t Position() const noexcept;

    Surface24 caption_;
    BitmapButton playPause_;
    BitmapButton stop_;
    UniqueImageList spareLook_;  // the play or pause look not shown now
    bool showsPause_ = false;
    VeTrackBarCtrl trackBar_;
    VePlayTimeCtrl playTime_;
    VeTimeTipsCtrl startTip_;
    VeTimeTipsCtrl endTip_;
    VeCheckboxCtrl fadeIn_;
    VeCheckboxCtrl fadeOut_;
    PreviewPlayer player_;
    std::wstring loadedPath_;
    UINT_PTR timerId_;
    WindowTimer timer_;  // runs exactly while the player plays
    int songLoads_ = 0;
};

}  // namespace vorlune
