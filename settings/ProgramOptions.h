// The program options: every setting kept from one run to the next, the
// run-time fields that travel with them, and their process-wide companions.
#pragma once

#include <windows.h>

#include "settings/WindowPosition.h"

// One-shot shortcut requests of the Explorer page; never stored.
struct ExplorerRequests {
  LONG CreateStartMenu;
  LONG RemoveStartMenu;
  LONG CreateDesktop;
  LONG RemoveDesktop;
  LONG CreateStartup;
  LONG RemoveStartup;
  WindowPosition* SheetPosition;  // the options sheet's own position while open
};

// Indexes of ProgramOptions::Warnings; a 1 skips that warning.
enum WarningIndex {
  kWarnDuplicates = 0,
  kWarnFileNotFound = 1,
  kWarnWrongFormat = 2,
  kWarnBadPassword = 3,
  kWarnTempFile = 4,
  kWarnFolderType = 5,
  kWarnMissingExt = 6,
  kWarnLockedFile = 7,
  kWarningCount = 8
};

// Values of ProgramOptions::Busy.
enum BusyState { kIdle = 0, kEncrypting = 1, kDecoding = 2 };

struct ProgramOptions {
  char FileSpec[256];
  char Path[256];
  ExplorerRequests Explorer;
  WindowPosition Window;
  LONG ToolBar;
  LONG Status;
  LONG Tips;
  LONG TopMost;
  LONG Hide;
  LONG Confirm;
  LONG Busy;  // run-time: BusyState
  DWORD Code;
  WindowPosition PasswordDialog;
  WindowPosition OptionsSheet;
  LONG NSAErasures;
  LONG LogFile;
  LONG Cleanup;
  LONG Sounds;
  LONG TaskTray;
  LONG Minimized;
  LONG Warnings[kWarningCount];
  LONG EncryptColumns[3];
  LONG DecodeColumns[3];
  LONG EncryptSelection;  // run-time: selected entry, -1 for none
  LONG DecodeSelection;   // run-time
};

// Positions of four dialogs, loaded and saved with the options.
struct DialogPositionSet {
  WindowPosition GetFile;
  WindowPosition PutFile;   // kept and written back
  WindowPosition Setup;     // kept and written back
  WindowPosition Property;  // the file properties dialog
};

// The list font and the colour the font dialog offers.
struct DisplayFontSetting {
  LOGFONTA Font;
  COLORREF Colour;
};

// The process-wide records. The options record belongs to start-up; the
// companions are loaded and saved with it.
ProgramOptions& Options();
DisplayFontSetting& DisplayFont();
DialogPositionSet& DialogPositions();

// Copies of "Sounds" and "LogFile" taken when the options are loaded or
// accepted; the boxes and the log read these, not the record.
extern int SoundsFlag;
extern int LogFlag;
// 1 when the settings root did not exist when the options were loaded.
extern int FirstRun;

// Fills the record and its companions from the settings; on a first run puts
// in the first-run values and saves at once. Returns 0 only without a record.
int LoadOptions(ProgramOptions* options);

// Writes every stored field and companion, after the application stamp.
// Shows nothing: its callers put "Options saved" on the status line. Returns
// 0 only without a record.
int SaveOptions(ProgramOptions* options);

// The first-run column widths and centred positions, then SaveOptions.
int SetFirstRunDefaults(ProgramOptions* options);
