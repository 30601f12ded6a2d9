// The ways files arrive in the conversion lists: dropped on the main
// window, chosen in the add-files dialog (also by the Insert key), named
// with a file switch on the command line, or handed over by a second start
// (app/HandOff.h). Every file takes the one route with the same checks and
// messages: a path longer than 255 characters (2021), a duplicate in the
// target list (2009 unless "Duplicates"), the candidate checks, a file of
// the other list (2011 or 2010 unless "WrongFormat").
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "core/FileSwitches.h"
#include "settings/ProgramOptions.h"

// The add-files dialog hands back at most this many bytes of names.
constexpr DWORD kNameBlockSize = 40960;
// A dropped name is read into a buffer this big; a name that does not fit
// in a path (255 characters) is refused with message 2021.
constexpr UINT kDroppedNameSize = 1024;

// Asks for files with the open-file dialog (filter `filterId`, title
// `titleId`, 0 for none; the encryption list is the target exactly when
// `titleId` is 2000) and adds each chosen file to `list`. The dialog opens
// in the current folder, keeps its place under "DeskTop\GetFile" and may
// change the current folder. Returns the number of files added; 0 when
// cancelled, and after message 60008 when its name block cannot be had.
int AddFilesFromDialog(HWND mainWindow, ProgramOptions* options, HWND list, UINT filterId, UINT titleId);

// Adds every file of the drop to `list` (the encryption list when
// `toEncryptList`), repainting the main window after each added file, then
// shows status 7000 or 7001 with the number added, also when it is 0.
// Returns the number added. Leaves the drop to the caller.
int AddDroppedFiles(HWND mainWindow, ProgramOptions* options, HWND list, HDROP drop, int toEncryptList);

// The WM_DROPFILES handler: adds the dropped files to the list the drop
// point lies in (left and top edges inside, right and bottom outside);
// a drop anywhere else shows message 2016 and adds nothing. Returns the
// number added. The caller then calls DragFinish and UpdateCommandStates.
int DropFiles(HWND mainWindow, ProgramOptions* options, HDROP drop);

// Adds the files of a switch, in order, to the list it names; for
// FileTarget::ByKind each file goes to the list of its kind (encrypted
// files to the decoding list), where the duplicate check then looks. Then
// shows status 7000 or 7001, as a drop does, with the count of the list
// the last file went to (the switch's list, or for /add the encryption
// list when no file got as far as a list), and refreshes the commands.
// Returns the number added to both lists.
int AddSwitchedFiles(HWND mainWindow, ProgramOptions* options, const SwitchedFiles& files);
