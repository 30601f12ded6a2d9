// The file properties record, the file-type lookup in the registry and the
// properties dialog built in memory.
#include "FileProperties.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "context/AppContext.h"
#include "ui/WindowPlacement.h"
#include "core/FileNames.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "settings/RegistryKey.h"
#include "ui/Formatting.h"
#include "ui/Messages.h"
#include "ui/Splash.h"
#include "ui/TemplateWriter.h"
#include "ui/TextRoutines.h"

namespace {

constexpr char kDocumentType[] = "Document";

// Reads the default value of HKEY_CLASSES_ROOT\`keyName` into `out`. Returns
// false when the key or value is missing, too long or empty. An expandable
// text (as NT writes icon paths) has its variables expanded.
bool ReadClassDefault(const char* keyName, char (&out)[kPropertyTextSize]) {
  out[0] = '\0';
  RegistryKey key;
  if (key.Open(HKEY_CLASSES_ROOT, keyName, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = sizeof out;
  if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(out), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    out[0] = '\0';
    return false;
  }
  // The stored text need not carry its terminator; without one, a text that
  // fills the whole buffer is too long.
  if (size == 0 || out[size - 1] != '\0') {
    if (size == sizeof out) {
      out[0] = '\0';
      return false;
    }
    out[size] = '\0';
  }
  if (type == REG_EXPAND_SZ) {
    char expanded[kPropertyTextSize];
    DWORD length = ExpandEnvironmentStringsA(out, expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded) {
      out[0] = '\0';
      return false;
    }
    std::memcpy(out, expanded, length);
  }
  return out[0] != '\0';
}

// The icon named by a "file,index" text, or nullptr.
HICON ExtractTypeIcon(const char* iconText) {
  char pieces[kPropertyTextSize];
  std::snprintf(pieces, sizeof pieces, "%s", iconText);
  const char* file = NextToken(pieces, ",");
  const char* index = NextToken(nullptr, ",");
  if (!file || !index) return nullptr;
  HICON icon = ExtractIconA(App().instance, file, static_cast<UINT>(std::atoi(index)));
  // ExtractIconA gives 1, not an icon, for a file that holds no icons.
  if (icon == reinterpret_cast<HICON>(1)) return nullptr;
  return icon;
}

// The dialog's items in template order: kind, position, size, id, text.
enum class ItemKind { Icon, Label, Value, Separator, Button };

struct ItemSpec {
  ItemKind kind;
  short x, y, cx, cy;
  WORD id;
  const char* text;
};

constexpr WORD kNoId = 0xFFFF;

constexpr ItemSpec kItems[] = {
    {ItemKind::Icon, 11, 8, 18, 20, kPropertiesIconId, " "},
    {ItemKind::Label, 34, 10, 18, 8, kNoId, "File:"},
    {ItemKind::Value, 60, 10, 150, 8, kPropertiesNameId, " "},
    {ItemKind::Label, 34, 20, 18, 8, kNoId, "Type:"},
    {ItemKind::Value, 60, 20, 150, 8, kPropertiesTypeId, " "},
    {ItemKind::Separator, 6, 35, 214, 1, kNoId, " "},
    {ItemKind::Label, 17, 40, 35, 8, kNoId, "Location:"},
    {ItemKind::Value, 60, 40, 150, 16, kPropertiesFolderId, " "},
    {ItemKind::Label, 17, 60, 35, 8, kNoId, "Size:"},
    {ItemKind::Value, 60, 60, 150, 8, kPropertiesSizeId, " "},
    {ItemKind::Label, 17, 70, 35, 8, kNoId, "Mode:"},
    {ItemKind::Value, 60, 70, 150, 8, kPropertiesModeId, " "},
    {ItemKind::Separator, 5, 83, 214, 1, kNoId, " "},
    {ItemKind::Label, 17, 90, 35, 8, kNoId, "MS DOS:"},
    {ItemKind::Value, 60, 90, 150, 8, kPropertiesDosNameId, " "},
    {ItemKind::Label, 17, 105, 35, 8, kNoId, "Created:"},
    {ItemKind::Value, 60, 105, 150, 8, kPropertiesCreatedId, " "},
    {ItemKind::Label, 17, 115, 35, 8, kNoId, "Modified:"},
    {ItemKind::Value, 60, 115, 150, 8, kPropertiesModifiedId, " "},
    {ItemKind::Label, 17, 125, 35, 8, kNoId, "Accessed:"},
    {ItemKind::Value, 60, 125, 150, 8, kPropertiesAccessedId, " "},
    {ItemKind::Separator, 5, 138, 214, 1, kNoId, " "},
    {ItemKind::Button, 165, 145, 50, 14, IDOK, "OK"},
};
constexpr WORD kItemCount = sizeof kItems / sizeof kItems[0];
static_assert(kItemCount == 23, "the properties template has 23 items");

DWORD ItemStyle(ItemKind kind) {
  const DWORD base = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case ItemKind::Icon: return base | SS_ICON;
    case ItemKind::Label: return base | SS_RIGHT;
    // File names may hold an ampersand: it must show, not underline.
    case ItemKind::Value: return base | SS_LEFT | SS_NOPREFIX;
    case ItemKind::Separator: return base | SS_ETCHEDHORZ | SS_SUNKEN;
    case ItemKind::Button: return base | BS_PUSHBUTTON;
  }
  return base;
}

// What the dialog procedure works on: the path it was opened for and the
// record read from it, which outlives the dialog so its icon can be freed.
struct PropertiesDialog {
  const char* path;
  FileProperties record;
};

void SetValue(HWND dialog, int id, const char* text) {
  char line[kPropertyTextSize];
  std::snprintf(line, sizeof line, "%s", text);
  SetDlgItemTextA(dialog, id, line);
}

// Moves the dialog to its saved place, pulled back to within 70 pixels of
// the desktop's right and bottom edges when it was saved off the screen.
void PlaceDialog(HWND dialog) {
  const RECT& desktop = App().desktopRect;
  const WindowPosition& saved = DialogPositions().Property;
  const LONG x = std::min<LONG>(desktop.right - desktop.left - 70, saved.Left);
  const LONG y = std::min<LONG>(desktop.bottom - desktop.top - 70, saved.Top);
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
}

INT_PTR OnInitDialog(HWND dialog, PropertiesDialog* state) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  FileProperties& record = state->record;
  ReadFileProperties(state->path, record);  // a missing file leaves the record zero

  HICON icon = record.icon ? record.icon : LoadIconA(App().instance, MAKEINTRESOURCEA(IDI_ENCRYPTED_FILE));
  SendDlgItemMessageA(dialog, kPropertiesIconId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

  char mode[kPropertyTextSize];
  std::snprintf(mode, sizeof mode, "%s Access", record.readOnly ? "Read Only" : "Read / Write");
  SetValue(dialog, kPropertiesNameId, record.name);
  SetValue(dialog, kPropertiesTypeId, record.typeName);
  SetValue(dialog, kPropertiesFolderId, record.folder);
  SetValue(dialog, kPropertiesSizeId, record.sizeText);
  SetValue(dialog, kPropertiesModeId, mode);
  SetValue(dialog, kPropertiesDosNameId, record.dosName);
  SetValue(dialog, kPropertiesCreatedId, record.createdText);
  SetValue(dialog, kPropertiesModifiedId, record.modifiedText);
  SetValue(dialog, kPropertiesAccessedId, record.accessedText);

  PlaceDialog(dialog);
  return TRUE;
}

// OK and Esc keep the dialog's position for its next opening and close it.
INT_PTR OnCommand(HWND dialog, WORD id) {
  if (id != IDOK && id != IDCANCEL) return FALSE;
  SaveWindowPlacement(dialog, &DialogPositions().Property);
  EndDialog(dialog, 1);
  return TRUE;
}

INT_PTR CALLBACK FilePropertiesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<PropertiesDialog*>(lParam));
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam));
    default: return FALSE;
  }
}

}  // namespace

char* FileNameOf(const char* path, char (&buffer)[kPropertyTextSize]) {
  const char* slash = FindLastChar(path, '\\');
  std::snprintf(buffer, sizeof buffer, "%s", slash ? slash + 1 : path ? path : "");
  return buffer;
}

char* FolderOf(const char* path, char (&buffer)[kPropertyTextSize]) {
  const char* slash = FindLastChar(path, '\\');
  const int length = slash ? static_cast<int>(slash - path + 1) : 0;
  std::snprintf(buffer, sizeof buffer, "%.*s", length, path ? path : "");
  return buffer;
}

HICON FileTypeIcon(const char* extension, char* typeName, bool* extracted) {
  if (extracted) *extracted = false;
  if (!extension) extension = "";
  char keyName[kPropertyTextSize + 1];
  std::snprintf(keyName, sizeof keyName, extension[0] == '.' ? "%s" : ".%s", extension);

  char className[kPropertyTextSize];
  char description[kPropertyTextSize];
  char iconText[kPropertyTextSize];
  if (ReadClassDefault(keyName, className) && ReadClassDefault(className, description)) {
    if (typeName) std::snprintf(typeName, kPropertyTextSize, "%s", description);
    char iconKey[kPropertyTextSize + 16];
    std::snprintf(iconKey, sizeof iconKey, "%s\\DefaultIcon", className);
    if (ReadClassDefault(iconKey, iconText)) {
      if (HICON icon = ExtractTypeIcon(iconText)) {
        if (extracted) *extracted = true;
        return icon;
      }
    }
  }
  // Without a complete registration the type is a plain document, even when
  // a description was found.
  if (typeName) std::snprintf(typeName, kPropertyTextSize, "%s", kDocumentType);
  return LoadIconA(nullptr, IDI_WINLOGO);
}

int ReadFileProperties(const char* path, FileProperties& record) {
  std::memset(&record, 0, sizeof record);
  if (!path) return 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);

  // The extension is looked for in the file name only: D:\My.Files\readme
  // has none.
  const char* extension = ExtensionOf(path);
  FileNameOf(path, record.name);
  FolderOf(path, record.folder);

  std::snprintf(record.dosName, sizeof record.dosName, "%s",
                found.cAlternateFileName[0] ? found.cAlternateFileName : record.name);
  CharUpperA(record.dosName);

  bool extracted = false;
  record.icon = FileTypeIcon(extension, record.typeName, &extracted);
  record.iconExtracted = extracted ? 1 : 0;

  record.size = found.nFileSizeLow;
  record.created = found.ftCreationTime;
  record.accessed = found.ftLastAccessTime;
  record.modified = found.ftLastWriteTime;
  FormatFileTime(record.created, record.createdText);
  FormatFileTime(record.accessed, record.accessedText);
  FormatFileTime(record.modified, record.modifiedText);

  const DWORD attributes = found.dwFileAttributes;
  record.archive = (attributes & FILE_ATTRIBUTE_ARCHIVE) ? 1 : 0;
  record.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
  record.system = (attributes & FILE_ATTRIBUTE_SYSTEM) ? 1 : 0;
  record.hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) ? 1 : 0;
  record.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;

  char size[kFormatTextSize];
  std::snprintf(record.sizeText, sizeof record.sizeText, "%s Bytes (%lu)", FormatSize(record.size, size),
                static_cast<unsigned long>(record.size));
  return 1;
}

void ReleaseFileProperties(FileProperties& record) {
  if (record.icon && record.iconExtracted) DestroyIcon(record.icon);
  record.icon = nullptr;
  record.iconExtracted = 0;
}

void* BuildFilePropertiesTemplate() {
  void* block = LockDialogTemplate();
  if (!block) return nullptr;
  BYTE* p = BeginTemplate(block, WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, kItemCount,
                          40, 50, 225, 165, " File Properties");
  for (const ItemSpec& item : kItems) {
    const WORD atom = item.kind == ItemKind::Button ? kButtonAtom : kStaticAtom;
    p = AddItem(p, ItemStyle(item.kind), 0, item.x, item.y, item.cx, item.cy, item.id, atom, item.text);
  }
  return block;
}

int ShowFileProperties(HWND owner, const char* path) {
  CloseSplash();
  void* block = BuildFilePropertiesTemplate();
  if (!block) return 0;
  SetStatusText(IDS_HINT_PROPERTIES);

  PropertiesDialog state{path, {}};
  DialogBoxIndirectParamA(App().instance, static_cast<LPCDLGTEMPLATEA>(block), owner, FilePropertiesProc,
                          reinterpret_cast<LPARAM>(&state));
  ReleaseTemplateBlock(block);
  ReleaseFileProperties(state.record);
  if (owner) UpdateWindow(owner);
  return 1;
}
