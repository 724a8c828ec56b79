// Command and resource numbers of the application shell.
//
// The program's own commands keep the numbers its menus were designed with;
// the framework commands use the classic document/view framework numbers,
// so that every menu item, accelerator and tool-bar button can be found by
// the same number it has always had (the actions carry it as their data).
#pragma once

namespace cmd {

// Resources.
inline constexpr int IDD_ABOUTBOX = 100;    // version box
inline constexpr int IDR_MAINFRAME = 128;   // menu, accelerators, tool bar, program icon
inline constexpr int IDR_TONEWPTYPE = 129;  // menu while a document is open
inline constexpr int IDD_PART_NAME = 138;   // part-name dialog
inline constexpr int IDD_SYS_PARAM = 139;   // full parameter dialog
inline constexpr int IDD_EXT_PARAM = 140;   // extraction parameter dialog
inline constexpr int IDR_VIEW_POPUP = 141;  // the view's right-click menu

// The program's own commands.
inline constexpr int ID_EXTRACT = 32771;    // start or abort extraction
inline constexpr int ID_EXT_PARAM = 32772;  // extraction parameter dialog
inline constexpr int ID_EXT_START = 32774;  // set or clear the extraction start mark
inline constexpr int ID_EXT_END = 32775;    // set or clear the extraction end mark
inline constexpr int ID_DISP_MODE = 32776;  // frequency analysis display mode

// Framework commands.
inline constexpr int ID_FILE_NEW = 0xE100;
inline constexpr int ID_FILE_OPEN = 0xE101;
inline constexpr int ID_FILE_CLOSE = 0xE102;
inline constexpr int ID_FILE_SAVE = 0xE103;
inline constexpr int ID_FILE_SAVE_AS = 0xE104;
inline constexpr int ID_FILE_PRINT_SETUP = 0xE106;
inline constexpr int ID_FILE_PRINT = 0xE107;
inline constexpr int ID_FILE_MRU_FILE1 = 0xE110;  // .. +3: the four recent files
inline constexpr int ID_EDIT_COPY = 0xE122;
inline constexpr int ID_EDIT_CUT = 0xE123;
inline constexpr int ID_EDIT_PASTE = 0xE125;
inline constexpr int ID_EDIT_UNDO = 0xE12B;
inline constexpr int ID_WINDOW_NEW = 0xE130;
inline constexpr int ID_WINDOW_ARRANGE = 0xE131;
inline constexpr int ID_WINDOW_CASCADE = 0xE132;
inline constexpr int ID_WINDOW_TILE_HORZ = 0xE133;
inline constexpr int ID_APP_ABOUT = 0xE140;
inline constexpr int ID_APP_EXIT = 0xE141;
inline constexpr int ID_NEXT_PANE = 0xE150;
inline constexpr int ID_PREV_PANE = 0xE151;
inline constexpr int ID_VIEW_TOOLBAR = 0xE800;
inline constexpr int ID_VIEW_STATUS_BAR = 0xE801;
inline constexpr int ID_FIRST_MDICHILD = 0xFF00;  // window list entries of the window menu

// Dialog buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Number of entries of the recent-file list.
inline constexpr int recent_file_count = 4;

}  // namespace cmd
