// The help commands, the help topics of the options pages, the web page and
// the font of the conversion lists.
#pragma once

#include <windows.h>

#include "context/AppContext.h"

// The offline web page about the program, beside the program file.
constexpr char kWebPageName[] = "orvane.htm";

// Runs help command `command` (901 contents, 902 search with `keyword` or
// none, 903 help on help) on the program's help file, with its status hint.
// Contents and search report a missing help file (60021 with the help file's
// path, which is empty when it was missing at start-up); any other command
// is reported as invalid.
void UserHelp(HWND window, UINT command, const char* keyword);

// Opens the help topic of `contextId` (an IDH_ id). Returns 1, or 0 after
// message 60104 when the topic cannot be opened; a missing help file counts
// as such (code 2) and is never handed to the help program.
int ShowHelpTopic(HWND owner, DWORD contextId);

// The web page's address as the shell opens it: the full path of
// kWebPageName beside the program file.
void WebSiteAddress(char (&address)[kPathSize]);

// Opens the web page in the user's browser. Returns 1, or 0 with only the
// alert sound when the shell cannot open it.
int OpenWebSite(HWND window);

// Lets the user choose the list font (starting from the stored one) and
// gives it to the list `listId` of `mainWindow` (the main window itself for
// 0), replacing and deleting the previous list font. Returns 1 when a new
// font was applied; 0 when the dialog was cancelled, which changes nothing.
int ChooseListFont(HWND mainWindow, int listId);

// The font dialog, starting from `font` when given (and then holding the
// choice), offering colours when `colour` is given (which then receives the
// chosen one). Returns the created font, or nullptr when cancelled (nothing
// changes then) or after error 60001 when the font cannot be created.
HFONT ChooseFontDialog(HWND owner, LOGFONTA* font, COLORREF* colour);

// ---- Test seams ------------------------------------------------------------

// Test only: calls that would start the help program or a browser go to
// these instead (nullptr restores the real ones).
using HelpCall = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
using ShellOpen = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
void RouteHelpCallsForTest(HelpCall call);
void RouteShellOpenForTest(ShellOpen open);
