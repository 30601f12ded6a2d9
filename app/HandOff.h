// Files named with a file switch (/encrypt, /decode, /add) reach the copy
// that runs: a second start hands them over and ends, instead of dropping
// its command line. The first copy keeps a hidden window of its own class
// from its very start, so that files can be handed to it while it is still
// in its start-up dialogs (first-run sheet, password prompt); they wait in
// this process until the main window exists, no conversion runs and no box
// holds the window, and then go through the same route as dropped files.
#pragma once

#include <windows.h>

#include "core/FileSwitches.h"
#include "settings/ProgramOptions.h"

// Posted to the main window when files wait to be added.
constexpr UINT FilesWaiting = WM_APP + 501;

// The class of the first copy's hidden window, which takes WM_COPYDATA.
constexpr char kHandOffClass[] = "OrvaneHandOffClass";

// Opens the hidden window that takes files from later starts. Returns 1,
// or 0 when it cannot be made (later starts then find no copy to hand to
// and wait, as for a copy without a window).
int OpenHandOffWindow(HINSTANCE instance);

// Closes it: once the main window closes, later starts wait for this copy
// to end and start on their own, rather than hand files to a copy that
// would not list them.
void CloseHandOffWindow();

// Hands `files` to the running copy's hidden window `receiver`. Returns 1
// when that copy took them.
int HandFilesOver(HWND receiver, const SwitchedFiles& files);

// Queues files of this copy's own command line, as if handed over.
void QueueFiles(SwitchedFiles files);

// True while handed files wait to be added.
bool FilesAreWaiting();

// Asks the main window, when there is one, to add the waiting files.
void PostWaitingFiles();

// Adds every waiting file, in the order they came, when no conversion runs
// and no box holds the main window; otherwise they wait for the next
// PostWaitingFiles (after the run, when the window is enabled again).
// Returns the number added.
int AddWaitingFiles(HWND mainWindow, ProgramOptions* options);

// Makes a relative path of the command line full, against this copy's
// current folder: the copy that lists it may stand elsewhere.
void MakePathsFull(SwitchedFiles& files);
