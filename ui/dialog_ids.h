// Template and control ids of the options dialog, its pages and the title
// builder: the numbers by which the templates and the code find each other.
#pragma once

// The options dialog.
constexpr int kOptionsDialogTemplate = 131;
constexpr int kBannerBitmap = 131;
constexpr int kAboutBitmap = 132;
constexpr int kPageGroupBox = 2000;
constexpr int kPageCount = 5;
// Page buttons and page templates, in page order.
constexpr int kPageButtons[kPageCount] = {2100, 2200, 2300, 2400, 2500};
constexpr int kPageTemplates[kPageCount] = {2199, 2299, 2399, 2499, 2599};
constexpr const char* kPageNames[kPageCount] = {"General", "Video", "Audio", "Subtitle", "About"};
enum PageIndex { kGeneralPage = 0, kVideoPage = 1, kAudioPage = 2, kSubtitlePage = 3, kAboutPage = 4 };

// General page.
constexpr int kUseCompNameCheck = 2101;
constexpr int kTitleEdit = 2102;
constexpr int kAnnotationEdit = 2103;
constexpr int kCategoryList = 2104;
constexpr int kPackingList = 2105;
constexpr int kIssuerEdit = 2106;
constexpr int kSummaryEdit = 2107;
constexpr int kTitleBuilderButton = 2108;

// Video page.
constexpr int kBitRateText = 2201;
constexpr int kBitRateTrackBar = 2202;
constexpr int kXyzCheck = 2203;

// Audio page.
constexpr int kAudioSourceList = 2301;
constexpr int kAudioLayoutList = 2302;
constexpr int kAudioLayoutLabel = 2303;
constexpr int kInPointEdit = 2304;
constexpr int kInPointLabel = 2305;
constexpr int kMultiSelectCheck = 2309;
constexpr int kAudioWarningText = 2310;
constexpr int kFirstChannelEdit = 2311;   // channel c: edit 2311 + 2c, label 2312 + 2c
constexpr int kFirstBrowseButton = 2327;  // channel c: browse 2327 + c
constexpr int kLastAudioControl = 2334;

// Subtitle page.
constexpr int kSubtitleCheck = 2401;
constexpr int kSubtitlePathEdit = 2402;
constexpr int kSubtitleBrowseButton = 2403;
constexpr int kSubtitleMessageText = 2404;

// About page.
constexpr int kVersionText = 2506;

// Title builder.
constexpr int kTitleBuilderTemplate = 2899;
constexpr int kFilmTitleEdit = 2801;
constexpr int kDatePicker = 2812;
constexpr int kBuilderOk = 2816;
constexpr int kBuilderCancel = 2817;
constexpr int kComposedTitleText = 2818;
constexpr int kBuilderReset = 2819;
