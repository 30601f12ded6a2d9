// The commands of the main window's menu, accelerators and tool bar, the
// hint shown on the status line while a menu item is highlighted, and the
// tool-bar buttons' tips. A command's id is also the string id of its hint;
// the id + 1000 is the string id of its tip.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "settings/ProgramOptions.h"

// What a command does, given the main window and the options record.
using CommandAction = void (*)(HWND mainWindow, ProgramOptions* options);

// One row of the command table (app/Commands.cpp): a command id and its
// action. A new command is one more row.
struct Command {
  UINT id;
  CommandAction action;
};

// The action of command `id`, or nullptr when the table has no such command.
CommandAction FindCommand(UINT id);

// Runs command `id` for the main window. Returns false, doing nothing, when
// the table has no such command; the window procedure then passes the
// message on to DefWindowProcA.
bool RunCommand(HWND mainWindow, UINT id, ProgramOptions* options);

// The WM_MENUSELECT handler: with `menuSelect` its wParam (item in the low
// word, flags in the high word). Items outside 101 to 999 (a closed menu, a
// popup's position, the system menu's commands) show "Ready ..."; a popup or
// system-menu entry changes nothing; any other item shows its hint. Nothing
// shows while the status bar is hidden.
void ShowMenuHint(WPARAM menuSelect);

// Answers TTN_NEEDTEXTA (other notifications: nothing): the tip of the
// button whose command id is the notification's idFrom, or an empty text,
// which shows no tip, when `tips` (the "Tips" option) is off.
void SupplyToolTip(NMHDR* notification, LONG tips);
