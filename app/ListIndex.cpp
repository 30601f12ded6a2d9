// The index of a list's entry texts, kept by a procedure put in front of the
// list control's own.
#include "app/ListIndex.h"

#include <commctrl.h>

#include <new>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/WideCalls.h"

namespace {

// The list finds an entry by comparing texts without regard to case the way
// lstrcmpiW does: through the sort weights of the thread's locale, which
// also count some different spellings as equal (a ligature and its two
// letters). The sort key with NORM_IGNORECASE holds exactly those weights,
// so two texts have the same key when, and only when, the list calls them
// equal. Texts are widened with the ANSI code page as the list widens them.
// Where the system has no 16-bit LCMapStringW (Windows 95, 98 and Me), the
// list compares the 8-bit texts through the same weights, and so does the
// 8-bit key.
using CompareKey = std::string;

constexpr int kLongestText = 1024;

CompareKey MakeKey(const char* text) {
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const LCID locale = GetThreadLocale();
  wchar_t wide[kLongestText];
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kLongestText) != 0) {
    const int size = MapStringWide(locale, flags, wide, -1, nullptr, 0);
    if (size > 0) {
      CompareKey key(static_cast<size_t>(size), '\0');
      MapStringWide(locale, flags, wide, -1, reinterpret_cast<wchar_t*>(&key[0]), size);
      return key;
    }
  }
  const int size = LCMapStringA(locale, flags, text, -1, nullptr, 0);
  if (size <= 0) return CompareKey(text);
  CompareKey key(static_cast<size_t>(size), '\0');
  LCMapStringA(locale, flags, text, -1, &key[0], size);
  return key;
}

// A file added to a list is first looked for in it, then inserted, and the
// index takes the key of the inserted entry's text: the same text twice in a
// row. Making a key costs tens of microseconds under Wine, so the last one
// made is kept.
CompareKey KeyOf(const char* text) {
  static std::string lastText;
  static LCID lastLocale = 0;
  static CompareKey lastKey;
  const LCID locale = GetThreadLocale();
  if (lastText != text || lastLocale != locale) {
    lastText.clear();
    lastKey = MakeKey(text);
    lastText = text;
    lastLocale = locale;
  }
  return lastKey;
}

struct PathIndex {
  WNDPROC listProcedure;
  bool unicode;  // the list's procedure takes messages in 16-bit characters
  std::unordered_map<CompareKey, int> keys;  // how often each key occurs
  int entries = 0;
  bool stale = true;  // rebuilt from the list before the next answer
};

// The indexes of the lists, each beside its window. Every message to an
// indexed list looks its index up, so the lookup stays in the process: a
// window property would cost a round trip to the Wine server each time,
// which for a list being filled or emptied is most of its cost. The lists
// live on the window thread, and there are few of them.
std::vector<std::pair<HWND, PathIndex*>>& Indexes() {
  static std::vector<std::pair<HWND, PathIndex*>> indexes;
  return indexes;
}

PathIndex* IndexOf(HWND list) {
  for (const auto& entry : Indexes()) {
    if (entry.first == list) return entry.second;
  }
  return nullptr;
}

void ForgetIndexOf(HWND list) {
  auto& indexes = Indexes();
  for (auto entry = indexes.begin(); entry != indexes.end(); ++entry) {
    if (entry->first == list) {
      indexes.erase(entry);
      return;
    }
  }
}

LRESULT CallList(const PathIndex& index, HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  return index.unicode ? CallWindowProcW(index.listProcedure, list, message, wParam, lParam)
                       : CallWindowProcA(index.listProcedure, list, message, wParam, lParam);
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

CompareKey KeyOfItem(HWND list, int item) {
  char text[kLongestText] = "";
  LVITEMA request = {};
  request.iSubItem = 0;
  request.pszText = text;
  request.cchTextMax = kLongestText;
  SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&request));
  return KeyOf(text);
}

void Rebuild(HWND list, PathIndex& index) {
  index.stale = true;
  index.keys.clear();
  index.entries = ItemCount(list);
  for (int i = 0; i < index.entries; ++i) ++index.keys[KeyOfItem(list, i)];
  index.stale = false;
}

void Forget(PathIndex& index, const CompareKey& key) {
  auto found = index.keys.find(key);
  if (found != index.keys.end() && --found->second == 0) index.keys.erase(found);
  --index.entries;
}

// True when a set-item message changes the text of an entry itself.
bool ChangesEntryText(UINT message, LPARAM lParam) {
  const auto* item = reinterpret_cast<const LVITEMA*>(lParam);  // same layout in both widths
  if (!item || item->iSubItem != 0) return false;
  return message == LVM_SETITEMTEXTA || message == LVM_SETITEMTEXTW || (item->mask & LVIF_TEXT) != 0;
}

// An update that cannot get memory leaves the index to be rebuilt.
template <class Update>
void Follow(PathIndex& index, Update update) noexcept {
  if (index.stale) return;
  try {
    update();
  } catch (...) {
    index.stale = true;
  }
}

LRESULT CALLBACK IndexedListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  PathIndex* index = IndexOf(list);
  if (!index) return DefWindowProcA(list, message, wParam, lParam);
  switch (message) {
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW: {
      const LRESULT item = CallList(*index, list, message, wParam, lParam);
      if (item >= 0) Follow(*index, [&] {
          ++index->keys[KeyOfItem(list, static_cast<int>(item))];
          ++index->entries;
        });
      return item;
    }
    case LVM_DELETEITEM: {
      CompareKey key;
      Follow(*index, [&] { key = KeyOfItem(list, static_cast<int>(wParam)); });
      const LRESULT deleted = CallList(*index, list, message, wParam, lParam);
      if (deleted) Follow(*index, [&] { Forget(*index, key); });
      return deleted;
    }
    case LVM_DELETEALLITEMS: {
      const LRESULT deleted = CallList(*index, list, message, wParam, lParam);
      if (deleted) {
        index->keys.clear();
        index->entries = 0;
      }
      return deleted;
    }
    case LVM_SETITEMA:
    case LVM_SETITEMW:
    case LVM_SETITEMTEXTA:
    case LVM_SETITEMTEXTW:
      if (ChangesEntryText(message, lParam)) index->stale = true;
      break;
    case WM_NCDESTROY: {
      PathIndex gone;
      gone.listProcedure = index->listProcedure;
      gone.unicode = index->unicode;
      ForgetIndexOf(list);
      delete index;
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gone.listProcedure));
      return CallList(gone, list, message, wParam, lParam);
    }
    default:
      break;
  }
  return CallList(*index, list, message, wParam, lParam);
}

// The list's index, put in front of the list on first use; null when there
// is no memory for it.
PathIndex* Attach(HWND list) noexcept {
  if (PathIndex* index = IndexOf(list)) return index;
  auto* index = new (std::nothrow) PathIndex();
  if (!index) return nullptr;
  try {
    Indexes().emplace_back(list, index);
  } catch (...) {
    delete index;
    return nullptr;
  }
  index->unicode = TakesWideMessages(list);
  const LONG_PTR procedure = reinterpret_cast<LONG_PTR>(IndexedListProc);
  index->listProcedure = reinterpret_cast<WNDPROC>(index->unicode ? SetWindowLongPtrW(list, GWLP_WNDPROC, procedure)
                                                                  : SetWindowLongPtrA(list, GWLP_WNDPROC, procedure));
  return index;
}

bool SearchList(HWND list, const char* text) {
  LVFINDINFOA find = {};
  find.flags = LVFI_STRING;
  find.psz = text;
  return SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)) != -1;
}

}  // namespace

bool ListHoldsText(HWND list, const char* text) {
  if (PathIndex* index = Attach(list)) {
    try {
      // The count guards against a change that reached the list past the
      // index.
      if (index->stale || index->entries != ItemCount(list)) Rebuild(list, *index);
      return index->keys.count(KeyOf(text)) != 0;
    } catch (...) {
      index->stale = true;
    }
  }
  return SearchList(list, text);
}
