// The program's shortcuts in the user's shell: one in the maker's group of
// the Start Menu, one on the Desktop, one in the Startup folder. Finds the
// folders, tests for the shortcut, creates it through the shell's link
// object, deletes it, and carries out the requests of the options sheet.
#pragma once

#include <windows.h>

#include "settings/ProgramOptions.h"

enum ShortcutKind {
  kStartMenuShortcut = 0,
  kDesktopShortcut = 1,
  kStartupShortcut = 2,
  kShortcutKindCount = 3
};

constexpr int kShellFolderSize = 256;  // a folder or shortcut path with its terminator

// Where the shell keeps the folders of the current user, and their value
// names by kind.
constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kShellFolderValues[kShortcutKindCount] = {"Programs", "Desktop", "Startup"};

// Puts the folder of `kind` into `folder`: the shell folder value without a
// trailing backslash, for the Start Menu followed by "\<maker>". Returns 1,
// or 0 when the value is missing, empty or unreadable, or the folder would
// not fit.
int ShellFolderPath(int kind, char (&folder)[kShellFolderSize]);

// Puts the program's shortcut path of `kind` into `path`: the folder,
// "\", the program name and ".lnk". Returns 1, or 0 as ShellFolderPath
// (also when the whole path would not fit).
int ShortcutPath(int kind, char (&path)[kShellFolderSize]);

// 1 when a file exists at the shortcut path of `kind`, else 0 (also when the
// folder is not known).
int ShortcutExists(int kind);

// Saves a shortcut to the program (target the module path, description the
// program name) at the shortcut path of `kind`, creating the maker's group
// first for the Start Menu. Returns 1 when it was saved; 0 silently when the
// folder is not known, or 0 after a "Setup" box naming the failing method
// and its result code.
int CreateShortcut(HWND owner, int kind);

// Deletes the shortcut of `kind`; the maker's group stays even when empty.
// Returns 1 when it was deleted; 0 silently when the folder is not known, or
// 0 after a "Setup" box with the path and the system error code.
int RemoveShortcut(HWND owner, int kind);

// Creates the requested Start Menu, Desktop and Startup shortcuts, then
// removes the requested ones in the same order, and clears every member of
// `requests` (the sheet's position reference too). Each failure has shown
// its own box; the remaining requests are still carried out.
void ApplyExplorerRequests(HWND owner, ExplorerRequests* requests);
