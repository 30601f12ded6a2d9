// The pieces of the program's start and end: the single-instance rule, the
// application context, the command line, the message loop and the release
// of what the run acquired.
#pragma once

#include <windows.h>

#include "core/FileSwitches.h"
#include "settings/ProgramOptions.h"

// When another copy of the program runs, shows its main window normally
// and in front (also out of the tray), or, while that copy is still in its
// start-up dialogs (options sheet, access password), brings the dialog to
// the front; sounds the alert and returns 1: this copy then ends. Returns 0
// when no other copy runs. A copy that shows no window (one saving its
// options after its window is gone, one held by a crash dialog) is waited
// for, at most 5 seconds, until it shows one or ends; then this copy
// starts (returns 0). Called first thing: a first copy claims its place
// here, before any dialog opens.
//
// With `files` (a start with a file switch) the files are handed to the
// other copy first, and it is brought forward only once it has taken them;
// a copy that does not take them (one that is ending) is waited for, at
// most 20 seconds, and then this copy starts and lists them itself.
int ActivateRunningCopy(const SwitchedFiles* files = nullptr);

// Fills the application context: common controls, the instance, the
// program's paths (the help file's empty when there is no help file), the
// desktop rectangle, and the random generator's seed from the clock.
void PrepareAppContext(HINSTANCE instance);

// Loads the accelerator table of the main window into the context. Returns
// 1, or 0 after error box 60002.
int LoadMainAccelerators();

// Reads the command-line tail: nothing; "/setup" or "-setup" in any case,
// which sets the setup request of the options; a file switch (/encrypt,
// /decode, /add with paths), whose files, made full, wait to be listed once
// the main window exists; or a complete path (drive, colon, backslash;
// quotes removed), kept as "FileSpec". Returns 1, or 0 after error box
// 60100 for any other text.
int ReadCommandLine(const char* tail, ProgramOptions* options);

// The setup switch, compared without regard to case against the whole tail.
bool IsSetupSwitch(const char* tail);

// Asks for the program access password, with no owner, when one is
// stored. Returns 1 when the start may go on (no password, or the right
// one), 0 when the prompt was cancelled or refused three times.
int CheckAccessPassword(const ProgramOptions* options);

// Opens the options sheet with no owner on its Explorer page, once, with
// the Start Menu request set: on a first run, or for the setup switch in
// `tail` (whose request ReadCommandLine has set).
void OpenSetupPages(const char* tail, ProgramOptions* options);

// Runs the message loop until the quit message; accelerators go to the
// current main window. Returns the quit code (0 after a failed fetch).
int RunMessageLoop();

// The end of a normal run: saves the options, closes the log and deletes
// the list font.
void FinishRun(ProgramOptions* options);
