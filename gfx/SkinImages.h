#pragma once

#include "gfx/ImageInfo.h"
#include "res/resource.h"

namespace vorlune {

// Where a skin image is used; the contact sheet groups them so.
enum class SkinGroup { Frame, ChooseSong, Cut, Save };

// One image of the skin as the windows expect it: its resource type, size,
// stored depth and the number of states side by side for an image list.
struct SkinImage {
    int id;
    ImageType type;
    int width, height;
    int bits;
    int cells;
    SkinGroup group;
    const wchar_t* name;
};

// Every skin image of vorlune.exe, in the order of the contact sheet.
inline constexpr SkinImage kSkinImages[] = {
    {IDJ_HEADER, ImageType::Jpeg, 600, 65, 24, 1, SkinGroup::Frame, L"header"},
    {IDJ_STEP1, ImageType::Jpeg, 600, 35, 24, 1, SkinGroup::Frame, L"step 1 banner"},
    {IDJ_STEP2, ImageType::Jpeg, 600, 35, 24, 1, SkinGroup::Frame, L"step 2 banner"},
    {IDJ_STEP3, ImageType::Jpeg, 600, 35, 24, 1, SkinGroup::Frame, L"step 3 banner"},
    {IDJ_FOOTER, ImageType::Jpeg, 600, 50, 24, 1, SkinGroup::Frame, L"footer"},
    {IDJ_LINK, ImageType::Jpeg, 229, 17, 24, 1, SkinGroup::Frame, L"website link"},
    {IDJ_LINK_HOVER, ImageType::Jpeg, 229, 17, 24, 1, SkinGroup::Frame, L"website link, hover"},
    {IDB_BACK, ImageType::Bmp, 444, 32, 24, 4, SkinGroup::Frame, L"Back"},
    {IDB_NEXT, ImageType::Bmp, 444, 32, 24, 4, SkinGroup::Frame, L"Next"},

    {IDJ_PAGE, ImageType::Jpeg, 600, 250, 24, 1, SkinGroup::ChooseSong, L"page background (all steps)"},
    {IDJ_CHOOSE_PROMPT, ImageType::Jpeg, 411, 32, 24, 1, SkinGroup::ChooseSong, L"prompt"},
    {IDJ_NAME_BOX, ImageType::Jpeg, 341, 32, 24, 1, SkinGroup::ChooseSong, L"song name box"},
    {IDB_CHOOSE_SONG, ImageType::Bmp, 1026, 32, 24, 3, SkinGroup::ChooseSong, L"choose a song"},
    {IDB_MONO_TO_STEREO, ImageType::Bmp, 1026, 32, 24, 3, SkinGroup::ChooseSong, L"mono to stereo"},

    {IDJ_DRAG_PROMPT, ImageType::Jpeg, 310, 19, 24, 1, SkinGroup::Cut, L"prompt"},
    {IDB_PLAY, ImageType::Bmp, 96, 32, 24, 3, SkinGroup::Cut, L"play"},
    {IDB_PAUSE, ImageType::Bmp, 96, 32, 24, 3, SkinGroup::Cut, L"pause"},
    {IDB_STOP, ImageType::Bmp, 96, 24, 24, 4, SkinGroup::Cut, L"stop"},
    {IDJ_TRACK, ImageType::Jpeg, 418, 47, 24, 1, SkinGroup::Cut, L"track bar"},
    {IDJ_PLAY_TIME, ImageType::Jpeg, 69, 10, 24, 1, SkinGroup::Cut, L"play time"},
    {IDB_RANGE_BAND, ImageType::Bmp, 10, 31, 24, 1, SkinGroup::Cut, L"range band"},
    {IDB_PLAYED_BAND, ImageType::Bmp, 10, 10, 24, 1, SkinGroup::Cut, L"played band"},
    {IDP_START_THUMB, ImageType::Png, 9, 15, 32, 1, SkinGroup::Cut, L"start thumb"},
    {IDP_END_THUMB, ImageType::Png, 9, 15, 32, 1, SkinGroup::Cut, L"end thumb"},
    {IDB_FADE_IN, ImageType::Bmp, 280, 18, 24, 4, SkinGroup::Cut, L"fade in"},
    {IDB_FADE_IN_CHECKED, ImageType::Bmp, 280, 18, 24, 4, SkinGroup::Cut, L"fade in, checked"},
    {IDB_FADE_OUT, ImageType::Bmp, 320, 18, 24, 4, SkinGroup::Cut, L"fade out"},
    {IDB_FADE_OUT_CHECKED, ImageType::Bmp, 320, 18, 24, 4, SkinGroup::Cut, L"fade out, checked"},

    {IDJ_SAVE_PROMPT, ImageType::Jpeg, 342, 22, 24, 1, SkinGroup::Save, L"ready"},
    {IDJ_PROCESSING, ImageType::Jpeg, 117, 22, 24, 1, SkinGroup::Save, L"processing"},
    {IDJ_SAVED, ImageType::Jpeg, 143, 22, 24, 1, SkinGroup::Save, L"saved"},
    {IDB_PROGRESS, ImageType::Bmp, 341, 32, 8, 1, SkinGroup::Save, L"progress bar (8-bit)"},
    {IDB_SAVE, ImageType::Bmp, 1026, 32, 24, 3, SkinGroup::Save, L"save"},
    {IDB_LOCATE, ImageType::Bmp, 1026, 32, 24, 3, SkinGroup::Save, L"locate"},
    {IDB_NEW, ImageType::Bmp, 1026, 32, 24, 3, SkinGroup::Save, L"new"},
};

// The entry for id under type; null when the skin has none.
inline constexpr const SkinImage* FindSkinImage(int id, ImageType type)
{
    for (const SkinImage& s : kSkinImages)
        if (s.id == id && s.type == type) return &s;
    return nullptr;
}

}  // namespace vorlune
