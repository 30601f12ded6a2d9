// The settings store over the registry of the current user (or the settings
// file when no root is set), and the identification entries of the program.
#include "settings/SettingsStore.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "context/AppContext.h"
#include "settings/MakerDetails.h"
#include "settings/RegistryKey.h"

namespace {

char (&RootText())[kSettingsRootSize] {
  static char root[kSettingsRootSize];
  return root;
}

bool UsesSettingsFile() { return RootText()[0] == '\0'; }

const char* SettingsFile() { return App().paths.settingsFile; }

// The full key of a section below the root. False when it does not fit:
// a cut path would address some other key.
bool SectionKey(const char* section, char (&key)[kSettingsKeySize]) {
  int length = std::snprintf(key, sizeof key, "%s\\%s", RootText(), section);
  return length >= 0 && length < static_cast<int>(sizeof key);
}

// While a SettingsReading lives: the section whose key is open for reading,
// and that key.
int readings = 0;
char readSection[kSettingsKeySize] = "";
RegistryKey readKey;

// Queries one value of a section into `data` (`size` bytes in, the stored
// size out). Returns the registry's result code.
LONG QueryValue(const char* section, const char* name, void* data, DWORD& size) {
  char path[kSettingsKeySize];
  if (!SectionKey(section, path)) return ERROR_FILE_NOT_FOUND;
  RegistryKey ownKey;
  HKEY key = nullptr;
  if (readings > 0 && readKey && lstrcmpA(readSection, path) == 0) {
    key = readKey.get();
  } else {
    RegistryKey& opened = readings > 0 ? readKey : ownKey;
    readSection[0] = '\0';
    const LONG result = opened.Open(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE);
    if (result != ERROR_SUCCESS) return result;
    if (readings > 0) std::snprintf(readSection, sizeof readSection, "%s", path);
    key = opened.get();
  }
  return RegQueryValueExA(key, name, nullptr, nullptr, static_cast<BYTE*>(data), &size);
}

// Creates or opens `path` below `root` and sets one value; a key that cannot
// be created leaves the value unwritten.
void SetValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
              DWORD size) {
  RegistryKey key;
  if (key.Create(root, path, KEY_SET_VALUE) != ERROR_SUCCESS) return;
  RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

void SetText(HKEY key, const char* name, const char* text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(std::strlen(text) + 1));
}

void SetSettingsValue(const char* section, const char* name, DWORD type, const void* data,
                      DWORD size) {
  char path[kSettingsKeySize];
  if (!SectionKey(section, path)) return;
  SetValue(HKEY_CURRENT_USER, path, name, type, data, size);
}

void SetSettingsNumber(const char* section, const char* name, DWORD value) {
  SetSettingsValue(section, name, REG_DWORD, &value, sizeof value);
}

// Text that the query put into `buffer`: a value stored without terminator
// (a binary value, say) is ended after its data when there is room for it,
// and refused when it fills the whole buffer.
bool EndsInBuffer(char* buffer, DWORD stored, int bufferSize) {
  if (std::memchr(buffer, '\0', stored)) return true;
  if (static_cast<int>(stored) >= bufferSize) return false;
  buffer[stored] = '\0';
  return true;
}

// A number in the settings file, as decimal text of its unsigned pattern
// (for a flag's 0 or 1 the same text as its signed form).
void WriteProfileNumber(const char* section, const char* name, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", value);
  WritePrivateProfileStringA(section, name, text, SettingsFile());
}

// Writes pending changes of the settings file to the disk. The call reports
// failure even when it flushed, so its result says nothing.
void FlushSettingsFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFile()); }

// The folder of `path`: everything before its last backslash, but a drive's
// root folder keeps its backslash ("c:\").
void FolderOf(const char* path, char (&folder)[kPathSize]) {
  std::snprintf(folder, sizeof folder, "%s", path);
  char* slash = std::strrchr(folder, '\\');
  if (!slash) {
    folder[0] = '\0';
    return;
  }
  slash[1] = '\0';
  if (std::strlen(folder) > 3) *slash = '\0';
}

const char* FileNameOf(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

// The machine-wide entries: the version key, the program's application path
// and its help-file folder. Each key is left alone when it cannot be created
// (a user without the right to write HKEY_LOCAL_MACHINE).
void WriteMachineEntries(const char* productTitle, const char* versionText) {
  const char* module = App().paths.module;
  char folder[kPathSize];
  FolderOf(module, folder);
  const char* fileName = FileNameOf(module);

  char path[512];
  std::snprintf(path, sizeof path, "Software\\Norvik Studio\\%s\\Version", productTitle);
  {
    RegistryKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE) == ERROR_SUCCESS)
      SetText(key.get(), nullptr, versionText);
  }

  char upperName[kPathSize];
  std::snprintf(upperName, sizeof upperName, "%s", fileName);
  CharUpperA(upperName);
  std::snprintf(path, sizeof path, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\%s",
                upperName);
  {
    RegistryKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE) == ERROR_SUCCESS) {
      SetText(key.get(), nullptr, module);
      SetText(key.get(), "Path", folder);
    }
  }

  char helpName[kPathSize];
  std::snprintf(helpName, sizeof helpName, "%s", fileName);
  if (char* dot = std::strrchr(helpName, '.')) *dot = '\0';
  char helpValue[kPathSize + 4];
  std::snprintf(helpValue, sizeof helpValue, "%s.hlp", helpName);
  {
    RegistryKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help", KEY_SET_VALUE) ==
        ERROR_SUCCESS)
      SetText(key.get(), helpValue, folder);
  }
}

// The numeric fields of a font, in their stored order, with the defaults of
// the 8 pt "MS Sans Serif" that the lists start with.
struct FontField {
  const char* name;
  LONG defaultValue;
  size_t offset;
  bool isByte;  // an 8-bit field: the low 8 bits are kept
};

constexpr FontField kFontFields[] = {
    {"Height", -10, offsetof(LOGFONTA, lfHeight), false},
    {"Width", 0, offsetof(LOGFONTA, lfWidth), false},
    {"Escapement", 0, offsetof(LOGFONTA, lfEscapement), false},
    {"Orientation", 0, offsetof(LOGFONTA, lfOrientation), false},
    {"Weight", 400, offsetof(LOGFONTA, lfWeight), false},
    {"Italic", 0, offsetof(LOGFONTA, lfItalic), true},
    {"Underline", 0, offsetof(LOGFONTA, lfUnderline), true},
    {"StrikeOut", 0, offsetof(LOGFONTA, lfStrikeOut), true},
    {"CharSet", 0, offsetof(LOGFONTA, lfCharSet), true},
    {"OutPrecision", 1, offsetof(LOGFONTA, lfOutPrecision), true},
    {"ClipPrecision", 2, offsetof(LOGFONTA, lfClipPrecision), true},
    {"Quality", 1, offsetof(LOGFONTA, lfQuality), true},
    {"PitchFamily", 34, offsetof(LOGFONTA, lfPitchAndFamily), true},
};

constexpr char kDefaultFaceName[] = "MS Sans Serif";

}  // namespace

SettingsReading::SettingsReading() { ++readings; }

SettingsReading::~SettingsReading() {
  if (--readings > 0) return;
  readKey.Close();
  readSection[0] = '\0';
}

void SetSettingsRoot(const char* root) {
  std::snprintf(RootText(), sizeof RootText(), "%s", root ? root : "");
}

const char* SettingsRoot() { return RootText(); }

int SettingsKeyExists() {
  RegistryKey key;
  return key.Open(HKEY_CURRENT_USER, RootText(), KEY_QUERY_VALUE) == ERROR_SUCCESS ? 1 : 0;
}

int ReadFlag(const char* section, const char* name, int defaultValue) {
  if (UsesSettingsFile())
    return GetPrivateProfileIntA(section, name, defaultValue, SettingsFile()) != 0 ? 1 : 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (QueryValue(section, name, &value, size) != ERROR_SUCCESS) return defaultValue != 0 ? 1 : 0;
  return value != 0 ? 1 : 0;
}

LONG ReadNumber(const char* section, const char* name, LONG defaultValue) {
  if (UsesSettingsFile())
    return static_cast<LONG>(GetPrivateProfileIntA(section, name, defaultValue, SettingsFile()));
  // Zero first: a shorter value of another type fills only its own bytes.
  DWORD value = 0;
  DWORD size = sizeof value;
  if (QueryValue(section, name, &value, size) != ERROR_SUCCESS) return defaultValue;
  return static_cast<LONG>(value);
}

int ReadText(const char* section, const char* name, const char* defaultText, char* buffer,
             int bufferSize) {
  if (!buffer || bufferSize <= 0) return 1;
  if (!defaultText) defaultText = "";
  if (UsesSettingsFile()) {
    GetPrivateProfileStringA(section, name, defaultText, buffer, static_cast<DWORD>(bufferSize),
                             SettingsFile());
    return 1;
  }
  DWORD size = static_cast<DWORD>(bufferSize);
  if (QueryValue(section, name, buffer, size) == ERROR_SUCCESS &&
      EndsInBuffer(buffer, size, bufferSize))
    return 1;
  std::snprintf(buffer, static_cast<size_t>(bufferSize), "%s", defaultText);
  return 1;
}

int WriteFlag(const char* section, const char* name, int value) {
  unsigned flag = value != 0 ? 1 : 0;
  if (UsesSettingsFile())
    WriteProfileNumber(section, name, flag);
  else
    SetSettingsNumber(section, name, flag);
  return 1;
}

int WriteNumber(const char* section, const char* name, LONG value) {
  if (UsesSettingsFile())
    WriteProfileNumber(section, name, static_cast<unsigned>(value));
  else
    SetSettingsNumber(section, name, static_cast<DWORD>(value));
  return 1;
}

int WriteText(const char* section, const char* name, const char* text) {
  if (!text) text = "";
  if (UsesSettingsFile())
    WritePrivateProfileStringA(section, name, text, SettingsFile());
  else
    SetSettingsValue(section, name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
  return 1;
}

void ClampPosition(WindowPosition& position, const RECT& desktop) {
  if (position.Top < desktop.top - 4)
    position.Top = desktop.top;
  else if (position.Top > desktop.bottom - 35)
    position.Top = desktop.bottom - 35;
  if (position.Left < desktop.left)
    position.Left = desktop.left;
  else if (position.Left > desktop.right - 35)
    position.Left = desktop.right - 35;
}

int ReadPosition(const char* section, WindowPosition& position) {
  position.Top = ReadNumber(section, "Top", 35);
  position.Left = ReadNumber(section, "Left", 35);
  position.Width = ReadNumber(section, "Width", 350);
  position.Height = ReadNumber(section, "Height", 200);
  position.Show = ReadNumber(section, "Show", 1);
  ClampPosition(position, App().desktopRect);
  return 1;
}

int WritePosition(const char* section, const WindowPosition& position) {
  WriteNumber(section, "Top", position.Top);
  WriteNumber(section, "Left", position.Left);
  WriteNumber(section, "Width", position.Width);
  WriteNumber(section, "Height", position.Height);
  WriteNumber(section, "Show", position.Show);
  return 1;
}

int LoadColumnWidths(const char* section, int count, LONG* widths) {
  for (int i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Column-%d", i + 1);
    widths[i] = ReadNumber(section, name, 150);
  }
  return 1;
}

int StoreColumnWidths(const char* section, int count, const LONG* widths) {
  for (int i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Column-%d", i + 1);
    WriteNumber(section, name, widths[i]);
  }
  return 1;
}

int ReadFont(const char* section, LOGFONTA& font, COLORREF& colour) {
  ReadText(section, "FaceName", kDefaultFaceName, font.lfFaceName);
  auto* bytes = reinterpret_cast<BYTE*>(&font);
  for (const FontField& field : kFontFields) {
    LONG value = ReadNumber(section, field.name, field.defaultValue);
    if (field.isByte)
      bytes[field.offset] = static_cast<BYTE>(value);
    else
      std::memcpy(bytes + field.offset, &value, sizeof value);
  }
  colour = static_cast<COLORREF>(ReadNumber(section, "Colour", 0));
  return 1;
}

int WriteFont(const char* section, const LOGFONTA& font, COLORREF colour) {
  WriteText(section, "FaceName", font.lfFaceName);
  const auto* bytes = reinterpret_cast<const BYTE*>(&font);
  for (const FontField& field : kFontFields) {
    LONG value = 0;
    if (field.isByte)
      value = bytes[field.offset];
    else
      std::memcpy(&value, bytes + field.offset, sizeof value);
    WriteNumber(section, field.name, value);
  }
  WriteNumber(section, "Colour", static_cast<LONG>(colour));
  return 1;
}

int WriteApplicationStamp(const char* productTitle, const char* versionText) {
  WriteProfileStringA("Norvik Studio", productTitle, versionText);
  WriteMachineEntries(productTitle, versionText);
  FlushSettingsFile();

  char warning[256];
  std::snprintf(warning, sizeof warning,
                "These settings are used by %s %s. Do NOT modify these settings manually!",
                productTitle, versionText);
  WriteText("Abstract", "Warning", warning);

  const struct {
    const char* name;
    const char* text;
  } application[] = {
      {"Program", productTitle},       {"Version", versionText},
      {"Author", kMakerAuthor},        {"Company", kMakerCompany},
      {"Address", kMakerAddress},      {"Post Office", kMakerPostOffice},
      {"Telephone", kMakerTelephone},  {"CompuServe", kMakerCompuServe},
      {"AOL", kMakerAol},              {"WebSite", kMakerWebSite},
      {"Email", kMakerEmail},
  };
  for (const auto& entry : application) WriteText("Application", entry.name, entry.text);
  FlushSettingsFile();
  return 1;
}
