// The program options record and its companions, moved between memory and
// the settings store by one table that names the section, value name, kind,
// default and field of every stored value.
#include "settings/ProgramOptions.h"

#include <cstddef>
#include <cstdio>

#include "context/AppContext.h"
#include "resource.h"
#include "settings/SettingsStore.h"

int SoundsFlag = 0;
int LogFlag = 0;
int FirstRun = 0;

ProgramOptions& Options() {
  static ProgramOptions options;
  return options;
}

DisplayFontSetting& DisplayFont() {
  static DisplayFontSetting font;
  return font;
}

DialogPositionSet& DialogPositions() {
  static DialogPositionSet positions;
  return positions;
}

namespace {

constexpr char kProductTitle[] = "Orvane for Windows 95/NT";
constexpr char kVersionText[] = "v3.1";

enum class Kind { Flag, Number, Text, Position, Columns, Font };

// The record that holds a stored field.
enum class Home { Options, DialogPositions, DisplayFont };

struct StoredSetting {
  const char* section;
  const char* name;          // nullptr for a record kept in several values
  Kind kind;
  LONG defaultNumber;        // Flag and Number; the store knows the others'
  const char* defaultText;   // Text
  Home home;
  size_t offset;             // of the field within its record
  int size;                  // Text: buffer bytes; Columns: count
};

constexpr StoredSetting Flag(const char* section, const char* name, LONG defaultValue,
                             size_t offset) {
  return {section, name, Kind::Flag, defaultValue, nullptr, Home::Options, offset, 0};
}

constexpr StoredSetting Number(const char* section, const char* name, LONG defaultValue,
                               size_t offset) {
  return {section, name, Kind::Number, defaultValue, nullptr, Home::Options, offset, 0};
}

constexpr StoredSetting Text(const char* section, const char* name, const char* defaultText,
                             size_t offset, int size) {
  return {section, name, Kind::Text, 0, defaultText, Home::Options, offset, size};
}

constexpr StoredSetting Columns(const char* section, size_t offset, int count) {
  return {section, nullptr, Kind::Columns, 0, nullptr, Home::Options, offset, count};
}

constexpr StoredSetting Position(const char* section, Home home, size_t offset) {
  return {section, nullptr, Kind::Position, 0, nullptr, home, offset, 0};
}

constexpr StoredSetting Font(const char* section) {
  return {section, nullptr, Kind::Font, 0, nullptr, Home::DisplayFont, 0, 0};
}

#define FIELD(name) offsetof(ProgramOptions, name)
#define DIALOG(name) offsetof(DialogPositionSet, name)

constexpr char kOptions[] = "Options";
constexpr char kWarnings[] = "Options\\Warnings";

// Every stored value, in the order of a save. The names are read back by
// later runs and by users' existing settings: never rename one.
constexpr StoredSetting kStoredSettings[] = {
    Text(kOptions, "FileSpec", "", FIELD(FileSpec), sizeof(ProgramOptions::FileSpec)),
    Text(kOptions, "Path", "", FIELD(Path), sizeof(ProgramOptions::Path)),
    Number(kOptions, "Code", 0, FIELD(Code)),
    Flag(kOptions, "ToolBar", 1, FIELD(ToolBar)),
    Flag(kOptions, "Status", 1, FIELD(Status)),
    Flag(kOptions, "Tips", 1, FIELD(Tips)),
    Flag(kOptions, "TopMost", 0, FIELD(TopMost)),
    Flag(kOptions, "Confirm", 1, FIELD(Confirm)),
    Flag(kOptions, "Hide", 0, FIELD(Hide)),
    Flag(kOptions, "NSAErasures", 0, FIELD(NSAErasures)),
    Flag(kOptions, "LogFile", 1, FIELD(LogFile)),
    Flag(kOptions, "Cleanup", 1, FIELD(Cleanup)),
    Flag(kOptions, "TaskTray", 0, FIELD(TaskTray)),
    Flag(kOptions, "Minimized", 0, FIELD(Minimized)),

    Flag(kWarnings, "Duplicates", 0, FIELD(Warnings[kWarnDuplicates])),
    Flag(kWarnings, "FileNotFound", 0, FIELD(Warnings[kWarnFileNotFound])),
    Flag(kWarnings, "WrongFormat", 0, FIELD(Warnings[kWarnWrongFormat])),
    Flag(kWarnings, "BadPassword", 0, FIELD(Warnings[kWarnBadPassword])),
    Flag(kWarnings, "TempFile", 0, FIELD(Warnings[kWarnTempFile])),
    Flag(kWarnings, "FolderType", 0, FIELD(Warnings[kWarnFolderType])),
    Flag(kWarnings, "MissingExt", 0, FIELD(Warnings[kWarnMissingExt])),
    Flag(kWarnings, "LockedFile", 0, FIELD(Warnings[kWarnLockedFile])),
    Flag(kWarnings, "Sounds", 1, FIELD(Sounds)),

    Columns("Options\\Encrypt", FIELD(EncryptColumns), 3),
    Columns("Options\\Decode", FIELD(DecodeColumns), 3),

    Position("DeskTop\\Window", Home::Options, FIELD(Window)),
    Position("DeskTop\\Password", Home::Options, FIELD(PasswordDialog)),
    Position("DeskTop\\Options", Home::Options, FIELD(OptionsSheet)),

    Font("Font\\Display"),

    Position("DeskTop\\GetFile", Home::DialogPositions, DIALOG(GetFile)),
    Position("DeskTop\\PutFile", Home::DialogPositions, DIALOG(PutFile)),
    Position("DeskTop\\Setup", Home::DialogPositions, DIALOG(Setup)),
    Position("DeskTop\\Property", Home::DialogPositions, DIALOG(Property)),
};

#undef FIELD
#undef DIALOG

// A load reads the "Options" section in this order, unlike a save; every
// other section is read in the table's order.
constexpr const char* kOptionsLoadOrder[] = {
    "FileSpec", "Path",        "ToolBar", "Status",  "Tips",     "Code",     "Confirm",
    "TopMost",  "Hide",        "NSAErasures", "LogFile", "Cleanup", "TaskTray", "Minimized",
};

constexpr bool SameText(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

constexpr bool InOptions(const StoredSetting& setting) {
  return SameText(setting.section, kOptions);
}

constexpr int OptionsRowCount() {
  int count = 0;
  for (const StoredSetting& setting : kStoredSettings) count += InOptions(setting) ? 1 : 0;
  return count;
}

// The load order names every "Options" value exactly once.
constexpr bool LoadOrderIsComplete() {
  constexpr int listed = sizeof kOptionsLoadOrder / sizeof kOptionsLoadOrder[0];
  if (listed != OptionsRowCount()) return false;
  for (int i = 0; i < listed; ++i) {
    int rows = 0;
    for (const StoredSetting& setting : kStoredSettings)
      rows += InOptions(setting) && SameText(setting.name, kOptionsLoadOrder[i]) ? 1 : 0;
    if (rows != 1) return false;
    for (int j = 0; j < i; ++j)
      if (SameText(kOptionsLoadOrder[i], kOptionsLoadOrder[j])) return false;
  }
  return true;
}
static_assert(LoadOrderIsComplete(), "the load order must name every \"Options\" value once");
static_assert(sizeof(DWORD) == sizeof(LONG), "numbers are 32-bit patterns");

BYTE* RecordOf(Home home, ProgramOptions& options) {
  switch (home) {
    case Home::Options:
      return reinterpret_cast<BYTE*>(&options);
    case Home::DialogPositions:
      return reinterpret_cast<BYTE*>(&DialogPositions());
    case Home::DisplayFont:
      return reinterpret_cast<BYTE*>(&DisplayFont());
  }
  return nullptr;
}

template <class T>
T& FieldOf(const StoredSetting& setting, ProgramOptions& options) {
  return *reinterpret_cast<T*>(RecordOf(setting.home, options) + setting.offset);
}

void Load(const StoredSetting& setting, ProgramOptions& options) {
  switch (setting.kind) {
    case Kind::Flag:
      FieldOf<LONG>(setting, options) = ReadFlag(setting.section, setting.name,
                                                 setting.defaultNumber);
      break;
    case Kind::Number:
      FieldOf<LONG>(setting, options) = ReadNumber(setting.section, setting.name,
                                                   setting.defaultNumber);
      break;
    case Kind::Text:
      ReadText(setting.section, setting.name, setting.defaultText,
               &FieldOf<char>(setting, options), setting.size);
      break;
    case Kind::Columns:
      LoadColumnWidths(setting.section, setting.size, &FieldOf<LONG>(setting, options));
      break;
    case Kind::Position:
      ReadPosition(setting.section, FieldOf<WindowPosition>(setting, options));
      break;
    case Kind::Font: {
      DisplayFontSetting& font = FieldOf<DisplayFontSetting>(setting, options);
      ReadFont(setting.section, font.Font, font.Colour);
      break;
    }
  }
}

void Save(const StoredSetting& setting, ProgramOptions& options) {
  switch (setting.kind) {
    case Kind::Flag:
      WriteFlag(setting.section, setting.name, FieldOf<LONG>(setting, options));
      break;
    case Kind::Number:
      WriteNumber(setting.section, setting.name, FieldOf<LONG>(setting, options));
      break;
    case Kind::Text: {
      // Bounded by the field, so that a field filled to its last byte cannot
      // carry the write into the next one.
      char text[256];
      std::snprintf(text, sizeof text, "%.*s", setting.size - 1, &FieldOf<char>(setting, options));
      WriteText(setting.section, setting.name, text);
      break;
    }
    case Kind::Columns:
      StoreColumnWidths(setting.section, setting.size, &FieldOf<LONG>(setting, options));
      break;
    case Kind::Position:
      WritePosition(setting.section, FieldOf<WindowPosition>(setting, options));
      break;
    case Kind::Font: {
      const DisplayFontSetting& font = FieldOf<DisplayFontSetting>(setting, options);
      WriteFont(setting.section, font.Font, font.Colour);
      break;
    }
  }
}

const StoredSetting& OptionsRow(const char* name) {
  for (const StoredSetting& setting : kStoredSettings)
    if (InOptions(setting) && SameText(setting.name, name)) return setting;
  return kStoredSettings[0];  // unreachable: the load order is checked above
}

// Half of `value`, rounded down also below zero (a desktop smaller than
// the window).
LONG HalfDown(LONG value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }

}  // namespace

int LoadOptions(ProgramOptions* options) {
  if (!options) return 0;
  FirstRun = SettingsKeyExists() ? 0 : 1;
  {
    SettingsReading reading;
    for (const char* name : kOptionsLoadOrder) Load(OptionsRow(name), *options);
    for (const StoredSetting& setting : kStoredSettings)
      if (!InOptions(setting)) Load(setting, *options);
  }
  SoundsFlag = options->Sounds;
  LogFlag = options->LogFile;
  if (FirstRun) SetFirstRunDefaults(options);
  return 1;
}

int SaveOptions(ProgramOptions* options) {
  if (!options) return 0;
  WriteApplicationStamp(kProductTitle, kVersionText);
  for (const StoredSetting& setting : kStoredSettings) Save(setting, *options);
  return 1;
}

int SetFirstRunDefaults(ProgramOptions* options) {
  if (!options) return 0;
  constexpr LONG kFirstRunColumns[3] = {270, 60, 140};
  for (int i = 0; i < 3; ++i) {
    options->EncryptColumns[i] = kFirstRunColumns[i];
    options->DecodeColumns[i] = kFirstRunColumns[i];
  }

  const RECT& desktop = App().desktopRect;
  LONG width = desktop.right - desktop.left;
  LONG height = desktop.bottom - desktop.top;
  options->Window.Height = 335;
  options->Window.Width = 500;
  options->Window.Top = HalfDown(height - 335);
  options->Window.Left = HalfDown(width - 500);
  // The options sheet is moved to the centre, never sized.
  options->OptionsSheet.Top = HalfDown(height - 375);
  options->OptionsSheet.Left = HalfDown(width - 500);
  return SaveOptions(options);
}
