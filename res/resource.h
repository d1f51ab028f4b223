// Named ids of Vorlune's resources and commands, shared by vorlune.rc and the
// code. Only #define lines: the resource compiler reads this file too.
#pragma once

// Title string, icon group, menu and accelerator table.
#define IDR_MAINFRAME 125

// Commands: menu 125 names them, the accelerators and buttons send them.
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_FILE_SAVE_AS 57604
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_SELECT_ALL 57642
#define ID_EDIT_UNDO 57643
#define ID_EDIT_REDO 57644
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define ID_HELP_KEY 32796
#define ID_HELP_WEBSITE 33068
#define ID_WIZARD_BACK 33137
#define ID_WIZARD_NEXT 33138
#define ID_STEP1_CHOOSE_SONG 33142
#define ID_STEP1_MONO_TO_STEREO 33156
#define ID_STEP2_STOP 33146
#define ID_STEP2_FADE_IN 33147
#define ID_STEP2_FADE_OUT 33148
#define ID_STEP2_PLAY_PAUSE 33154
#define ID_STEP3_SAVE 33150
#define ID_STEP3_LOCATE 33151
#define ID_STEP3_NEW 33152

// Skin: JPEGs under the type "JPG".
#define IDJ_HEADER 346
#define IDJ_PAGE 347
#define IDJ_FOOTER 348
#define IDJ_STEP1 349
#define IDJ_STEP2 350
#define IDJ_STEP3 351
#define IDJ_LINK_HOVER 352
#define IDJ_LINK 353
#define IDJ_CHOOSE_PROMPT 360
#define IDJ_NAME_BOX 361
#define IDJ_DRAG_PROMPT 362
#define IDJ_TRACK 365
#define IDJ_PLAY_TIME 366
#define IDJ_SAVED 375
#define IDJ_SAVE_PROMPT 376
#define IDJ_PROCESSING 377

// Skin: PNGs under the type "PNG".
#define IDP_START_THUMB 373
#define IDP_END_THUMB 374

// Skin: bitmaps, mostly strips of button states for image lists.
#define IDB_BACK 356
#define IDB_NEXT 357
#define IDB_CHOOSE_SONG 359
#define IDB_STOP 362
#define IDB_PAUSE 363
#define IDB_PLAY 364
#define IDB_FADE_OUT 367
#define IDB_FADE_IN_CHECKED 368
#define IDB_FADE_IN 369
#define IDB_FADE_OUT_CHECKED 370
#define IDB_RANGE_BAND 371
#define IDB_PLAYED_BAND 372
#define IDB_PROGRESS 378
#define IDB_SAVE 379
#define IDB_LOCATE 380
#define IDB_NEW 381
#define IDB_MONO_TO_STEREO 382
