// The settings store: typed reads and writes of single values below the
// per-user settings root, the records kept in several values (window
// positions, list column widths, a font), and the application stamp.
//
// Every operation opens the key it needs and closes it before it returns.
// Reads never fail towards their caller: whatever cannot be read gives the
// default. Writes report nothing and return 1; a value that cannot be
// written is silently left as it was.
//
// When the settings root is empty, the single-value operations use the
// settings file (App().paths.settingsFile) instead of the registry, with the
// section as the profile section and the value name as its key.
#pragma once

#include <windows.h>

#include "settings/WindowPosition.h"

constexpr int kSettingsRootSize = 256;  // the root: at most 255 characters
constexpr int kSettingsKeySize = 256;   // root + "\" + section

// The settings root that start-up sets, below HKEY_CURRENT_USER.
constexpr char kOrvaneSettingsRoot[] = "Software\\Norvik Studio\\Orvane for Windows 95/NT";

// Sets the settings root (below HKEY_CURRENT_USER); at most 255 characters
// are kept. An empty root selects the settings file.
void SetSettingsRoot(const char* root);
// The current settings root; empty until start-up sets it.
const char* SettingsRoot();

// 1 when the settings root can be opened for reading, else 0.
int SettingsKeyExists();

// While a SettingsReading lives, the reads below keep the key of the section
// they last read open for the next read of the same section: loading the
// options reads a hundred values, and opening and closing a key for each
// costs the start of the program several milliseconds (under Wine each is a
// round trip to the server).
class SettingsReading {
 public:
  SettingsReading();
  ~SettingsReading();
  SettingsReading(const SettingsReading&) = delete;
  SettingsReading& operator=(const SettingsReading&) = delete;
};

// 1 when the stored value is non-zero, 0 when it is zero; without a stored
// value, 1 when `defaultValue` is non-zero, else 0.
int ReadFlag(const char* section, const char* name, int defaultValue);
// The stored 32-bit value, or `defaultValue` when it cannot be read.
LONG ReadNumber(const char* section, const char* name, LONG defaultValue);
// Puts the stored text into `buffer` (`bufferSize` bytes), or a copy of
// `defaultText` when it cannot be read or does not fit with its terminator.
// Returns 1.
int ReadText(const char* section, const char* name, const char* defaultText, char* buffer,
             int bufferSize);
template <int N>
int ReadText(const char* section, const char* name, const char* defaultText, char (&buffer)[N]) {
  return ReadText(section, name, defaultText, buffer, N);
}

// Store 1 for a non-zero `value`, else 0. Return 1.
int WriteFlag(const char* section, const char* name, int value);
// Stores the 32-bit pattern of `value`. Returns 1.
int WriteNumber(const char* section, const char* name, LONG value);
// Stores `text` with its terminator. Returns 1.
int WriteText(const char* section, const char* name, const char* text);

// Reads "Top", "Left", "Width", "Height" and "Show" (defaults 35, 35, 350,
// 200, 1) and clamps the corner onto App().desktopRect. Returns 1.
int ReadPosition(const char* section, WindowPosition& position);
// Writes the five values as they stand. Returns 1.
int WritePosition(const char* section, const WindowPosition& position);
// Keeps the top-left corner of `position` on `desktop`: up to 4 pixels above
// its top, and at least 35 pixels inside its right and bottom edges.
void ClampPosition(WindowPosition& position, const RECT& desktop);

// Reads or writes "Column-1" to "Column-<count>"; a missing width reads as
// 150. Return 1.
int LoadColumnWidths(const char* section, int count, LONG* widths);
int StoreColumnWidths(const char* section, int count, const LONG* widths);

// Reads or writes the face name, the thirteen numeric fields of `font` and
// the colour (missing values: "MS Sans Serif", 8 pt regular, colour 0).
// Return 1.
int ReadFont(const char* section, LOGFONTA& font, COLORREF& colour);
int WriteFont(const char* section, const LOGFONTA& font, COLORREF colour);

// Writes the identification entries: a version line in the system profile,
// the machine-wide version, application-path and help-path entries for the
// program at App().paths.module, and the "Abstract" and "Application"
// sections below the settings root. Returns 1, even when the machine-wide
// entries cannot be written.
int WriteApplicationStamp(const char* productTitle, const char* versionText);
