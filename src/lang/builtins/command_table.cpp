#include "lang/builtins/command_table.h"

#include <unordered_map>

namespace pravella {

namespace {

using F = CalForm;
using A = CalAnswer;
using S = CalSpecial;

// Row makers, so that each row reads like the command's line in the manual. `posts` names the
// notification where it differs from the command's own name (an alias posts its main name).
constexpr CalCommand row(std::string_view name, int argc, F form, std::string_view posts = {},
                         A answer = A::None, S what = S::None, int param = 0, bool strict = false) {
  return CalCommand{name, argc, form, posts, answer, what, param, strict};
}
constexpr CalCommand trigger(std::string_view name, A answer = A::None, std::string_view posts = {}) {
  return row(name, 1, F::Trigger, posts, answer);
}
constexpr CalCommand choice(std::string_view name) { return row(name, 1, F::Choice); }
constexpr CalCommand integer(std::string_view name, A answer = A::None, std::string_view posts = {}) {
  return row(name, 1, F::Integer, posts, answer);
}
constexpr CalCommand real(std::string_view name) { return row(name, 1, F::Real); }
constexpr CalCommand text(std::string_view name, A answer = A::None) {
  return row(name, 1, F::Text, {}, answer);
}
constexpr CalCommand textOrNone(std::string_view name, A answer = A::None) {
  return row(name, 1, F::TextOrNone, {}, answer);
}
constexpr CalCommand range(std::string_view name) { return row(name, 1, F::Range); }
constexpr CalCommand vector3(std::string_view name) { return row(name, 1, F::Vector3); }
constexpr CalCommand textNumbers(std::string_view name, int k) {
  return row(name, 2, F::TextNumbers, {}, A::None, S::None, k);
}
constexpr CalCommand textText(std::string_view name) { return row(name, 2, F::TextText); }
constexpr CalCommand fileCode(std::string_view name) {
  return row(name, 2, F::TextText, {}, A::None, S::FileCode);
}
constexpr CalCommand numberText(std::string_view name, int limit, bool strict = false) {
  return row(name, 2, F::NumberText, {}, A::None, S::None, limit, strict);
}
constexpr CalCommand menu3(std::string_view name, int limit, std::string_view posts = {}) {
  return row(name, 3, F::Menu3, posts, A::None, S::None, limit);
}
// The menu3 checks with nothing posted.
constexpr CalCommand menu3NoEffect(std::string_view name, int limit) {
  return row(name, 3, F::Menu3, {}, A::None, S::NoEffectMenu3, limit);
}
constexpr CalCommand special(std::string_view name, int argc, S what, A answer = A::None,
                             std::string_view posts = {}) {
  return row(name, argc, F::Special, posts, answer, what);
}

constexpr CalCommand kCommands[] = {
    // --- Carried out by the bridge itself -------------------------------------------------
    special("cal_openWebSheet", 1, S::OpenWebSheet),
    special("cal_openWebBrowser", 1, S::OpenWebSheet),
    special("cal_webBrowser", 1, S::WebBrowser),
    special("cal_googleSearch", 1, S::WebBrowser),
    special("cal_wikiSearch", 1, S::WikiSearch),
    special("cal_spotlightSearch", 1, S::SpotlightSearch),
    special("cal_spotlightFooSearch", 1, S::SpotlightFooSearch),
    special("cal_getUserDiaryPath", 1, S::UserDiaryPath, A::String),
    special("cal_FTPConnect", 1, S::NoEffect),
    special("cal_toggleGraphDispStatus", 1, S::NoEffect),
    menu3NoEffect("cal_setMemoSheetMenu", 10),
    menu3NoEffect("cal_setMemoSheetMenuButton", 10),
    special("cal_command", 2, S::Command),

    // --- Calendar window: Calcndar --------------------------------------------------------
    integer("cal_changeCalMoonAge"),
    integer("cal_changeFileTableForeColor"),
    integer("cal_changeFileTableColor", A::None, "cal_changeFileTableForeColor"),
    integer("cal_setSaveButtonNumber"),
    integer("cal_setNoDurtyButtonNumber"),
    integer("cal_setBeforeyButtonNumber"),
    integer("cal_setBeforeButtonNumber", A::None, "cal_setBeforeyButtonNumber"),
    integer("cal_setNextButtonNumber"),
    integer("cal_clickNumberOnDiaryFileTable"),
    textOrNone("cal_executeCommandScript"),
    textOrNone("cal_insertTextToMemo"),
    trigger("cal_getDocumentPath", A::String),
    trigger("cal_getOpenedSheet", A::Number),
    trigger("cal_getMoonAgeStatus", A::Row2),
    trigger("cal_getMemoLength", A::Row2),
    trigger("cal_getAllMemo", A::String),
    trigger("cal_getSelectedMemo", A::String),
    trigger("cal_getMemoSelectedRange", A::Row2),
    integer("cal_getDocMenuTitle", A::String),
    trigger("cal_memoCut"),
    trigger("cal_memoPaste"),
    trigger("cal_memoCopy"),
    trigger("cal_setMemoSelectedAll"),
    trigger("cal_toggleTableFontForeColor"),
    trigger("cal_toggleTableFontColor", A::None, "cal_toggleTableFontForeColor"),
    trigger("cal_moonAge"),
    trigger("cal_openWithTextEdit"),
    trigger("cal_adjustSaveDurtyButton"),
    trigger("cal_adjustRirekiButton"),
    trigger("cal_setAllMemoButtonEnable"),
    trigger("cal_beforeMemo"),
    trigger("cal_nextMemo"),
    trigger("cal_closeSheet"),
    trigger("cal_pasteToMemoFromDoc"),
    trigger("cal_toggleMemoSheet"),
    trigger("cal_closeMemoSheet"),
    trigger("cal_openMemoSheet"),
    trigger("cal_symbolicLinkDocument"),
    trigger("cal_symbolicLinkGraph"),
    trigger("cal_symbolicLinkMovie"),
    trigger("cal_toggleToolSheet"),
    trigger("cal_closeToolSheet"),
    trigger("cal_openToolSheet"),
    trigger("cal_openFolder"),
    trigger("cal_loadFuncAlias"),
    trigger("cal_clearHistory"),
    trigger("cal_refreshCalendar"),
    trigger("cal_today"),
    trigger("cal_noDurty"),
    trigger("cal_saveDocument"),
    trigger("cal_new"),
    numberText("cal_setDocMenuTitle", 10),
    numberText("cal_setDocMenuSctipt", 10),
    menu3("cal_setDocMenuButton", 20),
    menu3("cal_setDocMenu", 20, "cal_setDocMenuButton"),
    range("cal_setMemoSelectedRange"),

    // --- Month diary list: Pravella -------------------------------------------------------
    integer("cal_changeMonthTableForeColor"),
    integer("cal_changeMonthTableColor", A::None, "cal_changeMonthTableForeColor"),
    textOrNone("cal_setFindStringForMonthList"),
    trigger("cal_getMonthList", A::String),
    trigger("cal_getFindStringForMonthList", A::String),
    trigger("cal_toggleMonthTableForeColor"),
    trigger("cal_toggleMonthTableColor", A::None, "cal_toggleMonthTableForeColor"),
    trigger("cal_goSearchAllMonth"),
    trigger("cal_goSearchMonth"),
    choice("cal_searchKindStateForMonthList"),
    trigger("cal_toggleMonthListSheet"),
    trigger("cal_closeMonthListSheet"),
    trigger("cal_openMonthListSheet"),
    numberText("cal_setSearchCellTitle", 14, true),

    // --- Main memo: mainTextView ----------------------------------------------------------
    textOrNone("cal_insertTextToDoc"),
    trigger("cal_useFontPanel"),
    trigger("cal_useColorPanel"),

    // --- Sun and moon, working folder, plain text, module preferences ---------------------
    trigger("cal_getLocation", A::Row3),
    vector3("cal_setLocation"),
    trigger("cal_chageCurrentDirectory"),
    trigger("cal_saveAsText"),
    trigger("cal_saveText"),
    trigger("cal_loadText"),
    trigger("cal_openPreferencePanel"),

    // --- AmMode control panels: CalTool ---------------------------------------------------
    special("cal_getImageFromAmModeButton", 1, S::GetImage, A::Picture),
    special("cal_getImageFromAmMode", 1, S::GetImage, A::Picture, "cal_getImageFromAmModeButton"),
    text("cal_loadDocToAmModeTextView"),
    text("cal_getStringOfAmModeTextField", A::String),
    text("cal_getSliderValueOfAmMode", A::Row3),
    text("cal_runAmModeButton"),
    special("cal_setImageToAmModeButton", 2, S::SetImage),
    integer("cal_setAmModeDocFontSize"),
    textOrNone("cal_getAmModeButtonFrame", A::Row4),
    textOrNone("cal_setAmModeDocFont"),
    textOrNone("cal_insertTextToAmModeDoc"),
    textOrNone("cal_getAmModeButtonTitle", A::String),
    special("cal_buildAmModeObject", 1, S::BuildAmModeObject),
    trigger("cal_getAmModeDocLength", A::Row2),
    trigger("cal_getAllAmModeDoc", A::String),
    trigger("cal_getSelectedAmModeDoc", A::String),
    trigger("cal_getAmModeDocSelectedRange", A::Row2),
    trigger("cal_toggleAmModeSheet"),
    trigger("cal_closeAmModeSheet"),
    trigger("cal_openAmModeSheet"),
    trigger("cal_AmModeDocCut"),
    trigger("cal_AmModeDocPaste"),
    trigger("cal_AmModeDocCopy"),
    trigger("cal_setAmModeDocSelectedAll"),
    menu3("cal_setAmModeSheetMenuButton", 10),
    menu3("cal_setAmModeSheetMenu", 10, "cal_setAmModeSheetMenuButton"),
    range("cal_setAmModeDocSelectedRange"),
    vector3("cal_setAmModeDocFontColor"),
    textNumbers("cal_setAmModeBox", 2),
    textText("cal_setAmModeButtonTitle"),
    textNumbers("cal_setAmModeButtonFrame", 4),
    textNumbers("cal_setNowValueToSliderButton", 1),
    textNumbers("cal_setMaxValueToSliderButton", 1),
    textNumbers("cal_setMinValueToSliderButton", 1),
    textNumbers("cal_setMinMaxValueToSliderButton", 2),
    textNumbers("cal_setMinNowMaxValueToSliderButton", 3),
    textText("cal_setStringOfAmModeTextField"),
    special("cal_setAmModeButtonTitle_X", 4, S::SetAmModeButtonTitleX),
    textNumbers("cal_setAmModeImageViewMagFactor", 1),
    textText("cal_setAmModeImageViewFrameStyle"),
    textText("cal_setAmModeImageViewScaling"),
    textText("cal_setAmModeImageViewAlignment"),
    text("cal_getAmModeButtonStatus", A::Number),
    textNumbers("cal_setAmModeButtonStatus", 1),

    // --- Memo options: CalOption ----------------------------------------------------------
    integer("cal_changeDocFontSize"),
    integer("cal_setMemoFontSize"),
    integer("cal_setDocFontSize"),
    textOrNone("cal_setDocFont"),
    textOrNone("cal_setMemoFont"),
    textOrNone("cal_soundBeep"),
    textOrNone("cal_getFileList", A::String),
    textOrNone("cal_loadTextEUC", A::String),
    textOrNone("cal_loadTextShiftJIS", A::String),
    textOrNone("cal_loadTextJIS", A::String),
    trigger("cal_getFilePath", A::String),
    trigger("cal_getFolderPath", A::String),
    trigger("cal_getDocumentLength", A::Row2),
    trigger("cal_getDocLength", A::Row2, "cal_getDocumentLength"),
    trigger("cal_getDocSelectedRange", A::Row2),
    trigger("cal_getAllDocument", A::String),
    trigger("cal_getSelectedDocument", A::String),
    trigger("cal_clearUserMenu"),
    trigger("cal_monaco"),
    trigger("cal_hiragino"),
    trigger("cal_setDocSelectedAll"),
    trigger("cal_docPaste"),
    trigger("cal_docCut"),
    trigger("cal_docCopy"),
    trigger("cal_monaco12Point"),
    trigger("cal_hiragino12Point"),
    trigger("cal_stdDocument"),
    trigger("cal_pasteDate"),
    trigger("cal_pasteDateTime"),
    trigger("cal_memoAllClear"),
    special("cal_addUserMenuItem", 2, S::AddUserMenuItem2),
    special("cal_addUserMenuItem", 4, S::AddUserMenuItem4, A::None, "cal_addUserMenuItem2"),
    range("cal_setDocSelectedRange"),
    vector3("cal_setMemoFontColor"),
    vector3("cal_setDocFontColor"),
    fileCode("cal_setFileType"),
    fileCode("cal_setFileCreator"),
    text("cal_getFileType", A::String),
    text("cal_getFileCreator", A::String),
    real("cal_indentWidth"),

    // --- Tool sheets ----------------------------------------------------------------------
    // Electronic dictionary, finder sheet, image segmentation.
    text("cal_openEDicSheet"),
    text("cal_openFinderSheetWithPath"),
    trigger("cal_toggleFinderSheet"),
    menu3("cal_setFinderSheetButton", 10),
    menu3("cal_setFinderSheet", 10, "cal_setFinderSheetButton"),
    text("cal_openImageSegmentSheetWithPath"),
    menu3("cal_setImageSegmentSheetButton", 5),
    menu3("cal_setISSButton", 5, "cal_setImageSegmentSheetButton"),
    // Outline index.
    integer("cal_changeIndexTableForeColor"),
    integer("cal_changeIndexTableColor", A::None, "cal_changeIndexTableForeColor"),
    trigger("cal_toggleIndexTableForeColor"),
    trigger("cal_toggleIndexTableColor", A::None, "cal_toggleIndexTableForeColor"),
    trigger("cal_closeIndexSheet"),
    trigger("cal_openIndexSheet"),
    // Bookmarks.
    integer("cal_changeBookMarkTableForeColor"),
    integer("cal_changeBookMarkTableColor", A::None, "cal_changeBookMarkTableForeColor"),
    trigger("cal_toggleBookMarkTableForeColor"),
    trigger("cal_toggleBookMarkTableColor", A::None, "cal_toggleBookMarkTableForeColor"),
    trigger("cal_saveBookMarkData"),
    trigger("cal_closeEditBookMarkCategory"),
    trigger("cal_editBookMarkCategory"),
    trigger("cal_saveBookMarkMemo"),
    trigger("cal_loadBookMarkMemo"),
    trigger("cal_toggleBookMarkSheet"),
    trigger("cal_closeBookMarkSheet"),
    trigger("cal_openBookMarkSheet"),
    // Launcher.
    integer("cal_selectLauncherCategory"),
    trigger("cal_saveLauncherData"),
    trigger("cal_closeEditLanuncherCategory"),
    trigger("cal_editLanuncherCategory"),
    trigger("cal_saveLauncherMemo"),
    trigger("cal_loadLauncherMemo"),
    trigger("cal_showFileOnFinder"),
    trigger("cal_toggleLauncherSheet"),
    trigger("cal_closeLauncherSheet"),
    trigger("cal_openLauncherSheet"),
    // Find and replace.
    textOrNone("cal_setReplaceString"),
    textOrNone("cal_setFindString"),
    trigger("cal_getFindString", A::String),
    trigger("cal_getReplaceString", A::String),
    trigger("cal_deleteTripleReturn"),
    trigger("cal_deleteDoubleReturn"),
    trigger("cal_changeReturn"),
    trigger("cal_changeCRLFtoLF"),
    trigger("cal_findBackward"),
    trigger("cal_findFoward"),
    trigger("cal_replaceAndNext"),
    trigger("cal_replaceString"),
    // Manual.
    textOrNone("cal_setFindStringForManualSheet"),
    trigger("cal_toggleManualSheet"),
    trigger("cal_closeManualSheet"),
    trigger("cal_openManualSheet"),
    choice("cal_editStateOfManualSheet"),
    // Internet tools and downloads.
    textOrNone("cal_setURLString"),
    textOrNone("cal_setWgetURL"),
    textOrNone("cal_setWgetOption"),
    textOrNone("cal_setWgetJPEGURL"),
    textOrNone("cal_setWgetJPEGDirName"),
    trigger("cal_openURLSheet"),
    trigger("cal_openConsole"),
    trigger("cal_downloadNow"),
    trigger("cal_downloadAll"),
    trigger("cal_wgetJPEG"),
    trigger("cal_wget"),
    special("cal_openURL", 1, S::OpenURL),
    trigger("cal_closeInternetSheet"),
    trigger("cal_openInternetSheet"),
    // FTP client.
    textOrNone("cal_setFTPHostURL"),
    textOrNone("cal_setFTPID"),
    textOrNone("cal_setFTPPW"),
    textOrNone("cal_setFTPDir"),
    trigger("cal_openFTPSheet"),
    trigger("cal_toggleFTPSheet"),
    trigger("cal_closeFTPSheet"),
    // Window layouts.
    special("cal_setCalendarView", 1, S::SetCalendarView),
    trigger("cal_setCalMinView"),
    trigger("cal_toggleCalendarView"),
    // CPU monitor, text dictionaries, movie and picture drawers.
    trigger("cal_showCPUStatusBar"),
    integer("cal_changeCPUMonitor"),
    trigger("cal_toggleDicSheet"),
    trigger("cal_toggleMovieView"),
    trigger("cal_openMovieView"),
    trigger("cal_togglePictView"),
    trigger("cal_openPictView"),
    // Backup and synchronisation, clipboard image, HTML and picture export, bc calculator.
    trigger("cal_getBackupFolder", A::String),
    trigger("cal_killBackup"),
    trigger("cal_killAllTask"),
    trigger("cal_backupDiary"),
    trigger("cal_showClipImage"),
    trigger("cal_makeHTML"),
    special("cal_saveToSTJ", 3, S::SaveToSTJ),
    trigger("cal_calculate"),
    // Handheld export, to-do window.
    trigger("cal_setPalmHotSyncFolder"),
    trigger("cal_addMemo"),
    trigger("cal_addSchedule"),
    trigger("cal_saveAllDocToPalm"),
    trigger("cal_saveMeDocFile"),
    trigger("cal_openToDoWindow"),
};

struct Index {
  std::unordered_multimap<std::string_view, const CalCommand*> byName;
  Index() {
    byName.reserve(std::size(kCommands));
    for (const CalCommand& c : kCommands) byName.emplace(c.name, &c);
  }
};

}  // namespace

std::span<const CalCommand> calCommandTable() { return kCommands; }

const CalCommand* findCalCommand(std::string_view name, int argc) {
  static const Index index;
  auto [first, last] = index.byName.equal_range(name);
  for (auto it = first; it != last; ++it)
    if (it->second->argc == argc) return it->second;
  return nullptr;
}

}  // namespace pravella
