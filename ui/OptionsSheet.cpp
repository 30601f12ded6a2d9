// The options sheet: the working copy, the three pages, their templates and
// the commit on OK.
#include "ui/OptionsSheet.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>

#include "context/AppContext.h"
#include "ui/TrayIcon.h"
#include "ui/WindowPlacement.h"
#include "resource.h"
#include "ui/ExplorerIntegration.h"
#include "ui/Help.h"
#include "ui/Messages.h"
#include "ui/Splash.h"
#include "ui/TemplateWriter.h"
#include "ui/TextRoutines.h"

namespace {

constexpr char kSheetCaption[] = " Orvane Options";
// The program's web page beside it (Help, Web Site...) is what button 6
// opens.
constexpr char kWebSiteButton[] = "&Orvane Web Page";

// The copy of the options that the pages edit while the sheet is open.
ProgramOptions workingCopy;

// Each page's parameter, kept when the page is created: the whole copy,
// the copy's shortcut requests, the copy's sheet position.
ProgramOptions* generalOptions = nullptr;
ExplorerRequests* explorerRequests = nullptr;
WindowPosition* versionPosition = nullptr;

// ---- common to the pages -----------------------------------------------------

LPARAM PageParameter(LPARAM initParam) { return reinterpret_cast<const PROPSHEETPAGEA*>(initParam)->lParam; }

int IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0; }

void Check(HWND page, int id, LONG on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

// The sheet's place goes into the copy whenever a page is left or accepted.
void CapturePosition(HWND page, WindowPosition* position) { SaveWindowPlacement(GetParent(page), position); }

// Answers a notification through the page's message result.
INT_PTR Reply(HWND page, LONG_PTR result) {
  SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
  return TRUE;
}

struct PageActions {
  void (*fill)(HWND page);  // the page becomes current
  void (*read)(HWND page);  // the page is left, or the sheet accepted
  DWORD helpContext;
};

INT_PTR OnPageNotify(HWND page, LPARAM lParam, const PageActions& actions) {
  switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE:
      actions.fill(page);
      return Reply(page, 0);
    case PSN_KILLACTIVE:
      actions.read(page);
      return Reply(page, FALSE);
    case PSN_APPLY:
      actions.read(page);
      return Reply(page, PSNRET_NOERROR);
    case PSN_HELP:
      ShowHelpTopic(page, actions.helpContext);
      return TRUE;
  }
  return FALSE;
}

// ---- General page --------------------------------------------------------

struct OptionSwitch {
  int id;
  LONG ProgramOptions::*field;
};

constexpr OptionSwitch kGeneralSwitches[] = {
    {IDC_OPT_CONFIRM, &ProgramOptions::Confirm},     {IDC_OPT_CLEANUP, &ProgramOptions::Cleanup},
    {IDC_OPT_SOUNDS, &ProgramOptions::Sounds},       {IDC_OPT_NSA_ERASURES, &ProgramOptions::NSAErasures},
    {IDC_OPT_LOG_FILE, &ProgramOptions::LogFile},    {IDC_OPT_TASK_TRAY, &ProgramOptions::TaskTray},
    {IDC_OPT_MINIMIZED, &ProgramOptions::Minimized},
};

// The erasure of originals can only be chosen together with their removal.
void EnableErasure(HWND page, const ProgramOptions& options) {
  EnableItem(page, IDC_OPT_NSA_ERASURES, options.Cleanup == 1);
}

void FillGeneral(HWND page) {
  const ProgramOptions& options = *generalOptions;
  SetStatusText(IDS_HINT_OPTIONS);
  for (int i = 0; i < kWarningCount; ++i) Check(page, IDC_OPT_WARNING_FIRST + i, options.Warnings[i]);
  for (const OptionSwitch& item : kGeneralSwitches) Check(page, item.id, options.*item.field);
  EnableErasure(page, options);
  PlaceSheet(page, &options.OptionsSheet);
}

void ReadGeneral(HWND page) {
  ProgramOptions& options = *generalOptions;
  for (const OptionSwitch& item : kGeneralSwitches) options.*item.field = IsChecked(page, item.id);
  for (int i = 0; i < kWarningCount; ++i) options.Warnings[i] = IsChecked(page, IDC_OPT_WARNING_FIRST + i);
  CapturePosition(page, &options.OptionsSheet);
}

// The removal box is not automatic: the click flips the option itself.
void FlipCleanup(HWND page) {
  ProgramOptions& options = *generalOptions;
  options.Cleanup = options.Cleanup ? 0 : 1;
  Check(page, IDC_OPT_CLEANUP, options.Cleanup);
  EnableErasure(page, options);
}

// ---- Explorer page -------------------------------------------------------

struct ShortcutBoxes {
  int kind;
  int textId;
  int createId;
  int removeId;
  LONG ExplorerRequests::*create;
  LONG ExplorerRequests::*remove;
};

constexpr ShortcutBoxes kShortcutBoxes[] = {
    {kStartMenuShortcut, IDC_EXP_START_MENU_TEXT, IDC_EXP_CREATE_START_MENU, IDC_EXP_REMOVE_START_MENU,
     &ExplorerRequests::CreateStartMenu, &ExplorerRequests::RemoveStartMenu},
    {kDesktopShortcut, IDC_EXP_DESKTOP_TEXT, IDC_EXP_CREATE_DESKTOP, IDC_EXP_REMOVE_DESKTOP,
     &ExplorerRequests::CreateDesktop, &ExplorerRequests::RemoveDesktop},
    {kStartupShortcut, IDC_EXP_STARTUP_TEXT, IDC_EXP_CREATE_STARTUP, IDC_EXP_REMOVE_STARTUP,
     &ExplorerRequests::CreateStartup, &ExplorerRequests::RemoveStartup},
};

// The item's own text, used as a format with the program's name.
void PutNameIntoItem(HWND page, int id, const char* name) {
  char format[kStringSize] = "";
  GetDlgItemTextA(page, id, format, sizeof format);
  SetItemTextF(page, id, format, name);
}

// A box asks only for what makes sense: creating a missing shortcut or
// removing one that exists.
void FillExplorer(HWND page) {
  const ExplorerRequests& requests = *explorerRequests;
  SetStatusText(IDS_HINT_SETUP);
  char name[kStringSize];
  GetString(name, IDS_PROGRAM_NAME);
  for (const ShortcutBoxes& boxes : kShortcutBoxes) {
    PutNameIntoItem(page, boxes.textId, name);
    const int exists = ShortcutExists(boxes.kind);
    Check(page, boxes.createId, exists ? 0 : requests.*boxes.create);
    EnableItem(page, boxes.createId, !exists);
    Check(page, boxes.removeId, exists ? requests.*boxes.remove : 0);
    EnableItem(page, boxes.removeId, exists);
  }
  PlaceSheet(page, requests.SheetPosition);
}

void ReadExplorer(HWND page) {
  ExplorerRequests& requests = *explorerRequests;
  for (const ShortcutBoxes& boxes : kShortcutBoxes) {
    requests.*boxes.create = IsChecked(page, boxes.createId);
    requests.*boxes.remove = IsChecked(page, boxes.removeId);
  }
  CapturePosition(page, requests.SheetPosition);
}

// ---- Version page ----------------------------------------------------------

struct VersionEntry {
  int id;
  const char* name;
  UINT fallbackId;
};

constexpr VersionEntry kVersionEntries[] = {
    {IDC_VER_PRODUCT, "ProductName", IDS_PRODUCT_NAME},
    {IDC_VER_RIGHTS, "LegalCopyright", IDS_RIGHTS},
    {IDC_VER_DESCRIPTION, "FileDescription", IDS_DESCRIPTION},
    {IDC_VER_VERSION, "FileVersion", IDS_VERSION},
};

// The four texts of the program file's version information; they stay
// empty, and the sheet where it is, when the file has none.
void FillVersion(HWND page) {
  SetStatusText(IDS_HINT_ABOUT);
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeA(App().paths.module, &unused);
  if (size == 0) return;
  // A movable, zero-filled block, as a dialog template gets.
  void* info = LockTemplateBlock(size);
  if (!info) return;
  if (!GetFileVersionInfoA(App().paths.module, 0, size, info)) {
    ReleaseTemplateBlock(info);
    return;
  }
  for (const VersionEntry& entry : kVersionEntries) {
    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\040904E4\\%s", entry.name);
    char* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(info, block, reinterpret_cast<void**>(&value), &length) && value) {
      SetDlgItemTextA(page, entry.id, value);
    } else {
      char fallback[kStringSize];
      GetString(fallback, entry.fallbackId);
      SetDlgItemTextA(page, entry.id, fallback);
    }
  }
  ReleaseTemplateBlock(info);
  PlaceSheet(page, versionPosition);
}

void ReadVersion(HWND page) { CapturePosition(page, versionPosition); }

// ---- the templates built in memory -----------------------------------------

constexpr DWORD kPageStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheckBox = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kText = kChild | SS_LEFT;
constexpr DWORD kIcon = kChild | SS_ICON;
constexpr DWORD kRule = kChild | SS_ETCHEDHORZ;
constexpr WORD kNoId = 0xFFFF;

BYTE* AddPicture(BYTE* p) {
  return AddItem(p, kChild | SS_BITMAP | SS_REALSIZEIMAGE | SS_SUNKEN, 0, 7, 7, 104, 159, kNoId, kStaticAtom,
                 "#1999");
}

void* BuildExplorerTemplate() {
  void* block = LockDialogTemplate();
  if (!block) return nullptr;
  BYTE* p = BeginTemplate(block, kPageStyle, 0, 15, 0, 0, 320, 172, "Explorer");
  p = AddPicture(p);
  p = AddItem(p, kText, 0, 120, 10, 190, 16, IDC_EXP_START_MENU_TEXT, kStaticAtom,
              "To include or remove %s on the MS Windows Explorer Start Menu check one of the boxes below.");
  p = AddItem(p, kIcon, 0, 135, 32, 18, 20, kNoId, kStaticAtom, "#1000");
  p = AddItem(p, kCheckBox, 0, 170, 32, 95, 10, IDC_EXP_CREATE_START_MENU, kButtonAtom, "&Create a Start Menu Item");
  p = AddItem(p, kCheckBox, 0, 170, 44, 105, 10, IDC_EXP_REMOVE_START_MENU, kButtonAtom,
              "&Remove this Start Menu Item");
  p = AddItem(p, kRule, 0, 118, 60, 195, 1, kNoId, kStaticAtom, " ");
  p = AddItem(p, kText, 0, 120, 65, 190, 16, IDC_EXP_DESKTOP_TEXT, kStaticAtom,
              "To display or delete the %s program icon on the MS Windows Explorer Desktop check the boxes below.");
  p = AddItem(p, kIcon, 0, 135, 87, 18, 20, kNoId, kStaticAtom, "#2880");
  p = AddItem(p, kCheckBox, 0, 170, 87, 99, 10, IDC_EXP_CREATE_DESKTOP, kButtonAtom, "Create a &Desktop Icon");
  p = AddItem(p, kCheckBox, 0, 170, 99, 115, 10, IDC_EXP_REMOVE_DESKTOP, kButtonAtom,
              "Remove &Icon from the Desktop");
  p = AddItem(p, kRule, 0, 118, 115, 195, 1, kNoId, kStaticAtom, " ");
  p = AddItem(p, kText, 0, 120, 120, 190, 16, IDC_EXP_STARTUP_TEXT, kStaticAtom,
              "To run %s automatically whenever MS Windows 95/NT is started check the box below.");
  p = AddItem(p, kIcon, 0, 135, 142, 18, 20, kNoId, kStaticAtom, "#2585");
  p = AddItem(p, kCheckBox, 0, 170, 142, 103, 10, IDC_EXP_CREATE_STARTUP, kButtonAtom,
              "Create a &Startup Folder Item");
  AddItem(p, kCheckBox, 0, 170, 154, 115, 10, IDC_EXP_REMOVE_STARTUP, kButtonAtom,
          "Remove the Startup &Folder Item");
  return block;
}

void* BuildVersionTemplate() {
  void* block = LockDialogTemplate();
  if (!block) return nullptr;
  BYTE* p = BeginTemplate(block, kPageStyle, 0, 10, 0, 0, 320, 172, "Version");
  p = AddPicture(p);
  p = AddItem(p, kIcon, 0, 123, 10, 18, 20, kNoId, kStaticAtom, "#1000");
  p = AddItem(p, kText | SS_NOPREFIX, 0, 155, 10, 160, 8, IDC_VER_PRODUCT, kStaticAtom, "");
  p = AddItem(p, kText | SS_NOPREFIX, 0, 155, 20, 160, 8, IDC_VER_RIGHTS, kStaticAtom, "");
  p = AddItem(p, kText | SS_NOPREFIX, 0, 155, 35, 160, 8, IDC_VER_DESCRIPTION, kStaticAtom, "");
  p = AddItem(p, kText | SS_NOPREFIX, 0, 155, 45, 160, 8, IDC_VER_VERSION, kStaticAtom, "");
  p = AddItem(p, kRule, 0, 118, 60, 195, 1, kNoId, kStaticAtom, " ");
  p = AddItem(p, kRule, 0, 118, 105, 195, 1, kNoId, kStaticAtom, " ");
  p = AddItem(p, kText | SS_NOPREFIX, 0, 130, 115, 170, 17, kNoId, kStaticAtom,
              "Visit the Norvik Studio Web Site on the Internet to download the latest releases of all of my "
              "software.");
  AddItem(p, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 155, 140, 115, 14, IDC_VER_WEB_SITE, kButtonAtom,
          kWebSiteButton);
  return block;
}

// The sheet's page records in their first published layout, packed: the
// sheet steps through them by their size (40 bytes in the 32-bit program).
// The header too is the first published one, up to its callback.
const DWORD kSheetHeaderSize = PROPSHEETHEADERA_V1_SIZE;

PROPSHEETPAGEA_V1 PageRecord(DWORD flags, DLGPROC procedure, LPARAM parameter) {
  PROPSHEETPAGEA_V1 page = {};
  page.dwSize = sizeof page;
  page.dwFlags = flags | PSP_HASHELP;
  page.hInstance = App().instance;
  page.pfnDlgProc = procedure;
  page.lParam = parameter;
  return page;
}

// Puts the working copy back into the live record and carries out what the
// user accepted.
void Commit(HWND owner, ProgramOptions* options) {
  const bool trayChanged = workingCopy.TaskTray != options->TaskTray;
  *options = workingCopy;
  // During start-up there is no window yet: it puts in its tray icon itself
  // when it is created.
  if (owner) {
    if (trayChanged) {
      RemoveTrayIcon(owner);
      if (options->TaskTray) {
        char name[kStringSize];
        GetString(name, IDS_PROGRAM_NAME);
        AddTrayIcon(owner, name);
      }
    }
    InvalidateRect(owner, nullptr, FALSE);
  }
  SoundsFlag = options->Sounds;
  LogFlag = options->LogFile;
  ApplyExplorerRequests(owner, &options->Explorer);
  SaveOptions(options);
  SetStatusText(IDS_OPTIONS_SAVED);
}

}  // namespace

void PlaceSheet(HWND page, const WindowPosition* position) {
  if (!position) return;
  RECT& desktop = App().desktopRect;
  if (IsRectEmpty(&desktop)) TakeDesktopRect();
  const LONG right = desktop.right - kSheetEdgeMargin;
  const LONG bottom = desktop.bottom - kSheetEdgeMargin;
  const LONG x = position->Left < right ? position->Left : right;
  const LONG y = position->Top < bottom ? position->Top : bottom;
  SetWindowPos(GetParent(page), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

INT_PTR CALLBACK GeneralPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  static constexpr PageActions actions{FillGeneral, ReadGeneral, IDH_OPTIONS_GENERAL};
  switch (message) {
    case WM_INITDIALOG:
      generalOptions = reinterpret_cast<ProgramOptions*>(PageParameter(lParam));
      return TRUE;
    case WM_NOTIFY:
      return OnPageNotify(page, lParam, actions);
    case WM_COMMAND:
      if (LOWORD(wParam) != IDC_OPT_CLEANUP) return FALSE;
      FlipCleanup(page);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK ExplorerPage(HWND page, UINT message, WPARAM, LPARAM lParam) {
  static constexpr PageActions actions{FillExplorer, ReadExplorer, IDH_OPTIONS_EXPLORER};
  switch (message) {
    case WM_INITDIALOG:
      explorerRequests = reinterpret_cast<ExplorerRequests*>(PageParameter(lParam));
      return TRUE;
    case WM_NOTIFY:
      return OnPageNotify(page, lParam, actions);
  }
  return FALSE;
}

INT_PTR CALLBACK VersionPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  static constexpr PageActions actions{FillVersion, ReadVersion, IDH_OPTIONS_VERSION};
  switch (message) {
    case WM_INITDIALOG:
      versionPosition = reinterpret_cast<WindowPosition*>(PageParameter(lParam));
      return TRUE;
    case WM_NOTIFY:
      return OnPageNotify(page, lParam, actions);
    case WM_COMMAND:
      if (LOWORD(wParam) != IDC_VER_WEB_SITE) return FALSE;
      OpenWebSite(page);
      return TRUE;
  }
  return FALSE;
}

int OpenOptionsSheet(HWND owner, ProgramOptions* options, int startPage) {
  if (!options) return 0;
  workingCopy = *options;
  workingCopy.Explorer.SheetPosition = &workingCopy.OptionsSheet;
  CloseSplash();

  void* explorerTemplate = BuildExplorerTemplate();
  void* versionTemplate = BuildVersionTemplate();
  // A page whose template could not be had stays out (its box has been
  // shown); the sheet opens with the others.
  PROPSHEETPAGEA_V1 pages[3];
  int count = 0;
  const int wanted = startPage >= 0 && startPage < 3 ? startPage : kGeneralPage;
  int start = 0;
  pages[count] = PageRecord(PSP_DEFAULT, GeneralPage, reinterpret_cast<LPARAM>(&workingCopy));
  pages[count++].pszTemplate = MAKEINTRESOURCEA(IDD_OPTIONS_GENERAL);
  if (explorerTemplate) {
    if (wanted == kExplorerPage) start = count;
    pages[count] = PageRecord(PSP_DLGINDIRECT, ExplorerPage, reinterpret_cast<LPARAM>(&workingCopy.Explorer));
    pages[count++].pResource = static_cast<LPCDLGTEMPLATEA>(explorerTemplate);
  }
  if (versionTemplate) {
    if (wanted == kVersionPage) start = count;
    pages[count] = PageRecord(PSP_DLGINDIRECT, VersionPage, reinterpret_cast<LPARAM>(&workingCopy.OptionsSheet));
    pages[count++].pResource = static_cast<LPCDLGTEMPLATEA>(versionTemplate);
  }

  PROPSHEETHEADERA header = {};
  header.dwSize = kSheetHeaderSize;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP;
  header.hwndParent = owner;
  header.hInstance = App().instance;
  header.pszCaption = kSheetCaption;
  header.nPages = static_cast<UINT>(count);
  header.nStartPage = static_cast<UINT>(start);
  header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);
  const INT_PTR result = PropertySheetA(&header);
  ReleaseTemplateBlock(explorerTemplate);
  ReleaseTemplateBlock(versionTemplate);
  generalOptions = nullptr;
  explorerRequests = nullptr;
  versionPosition = nullptr;

  // A sheet that failed to run counts as accepted: the unchanged copy is
  // committed and saved. A cancelled sheet leaves no shortcut request
  // behind (the setup pages put one in before they open), or a later OK,
  // even on another page, would carry it out.
  if (result == 0) {
    options->Explorer = ExplorerRequests{};
    return 0;
  }
  Commit(owner, options);
  return 1;
}
