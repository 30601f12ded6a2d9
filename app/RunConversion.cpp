// The conversion run over one list, and the progress of a long file in the
// main window's caption.
#include "app/RunConversion.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "context/AppContext.h"
#include "app/CommandStates.h"
#include "app/HandOff.h"
#include "app/ListEntries.h"
#include "engine/ConversionJob.h"
#include "engine/Converters.h"
#include "engine/KeyDialogs.h"
#include "engine/OperationLog.h"
#include "resource.h"
#include "ui/Formatting.h"
#include "ui/Messages.h"
#include "ui/TextRoutines.h"

namespace {

// A run holds the message loop for as long as it lasts. Between the status
// texts of one file and the next nothing would repaint the window, so a file
// that takes long repaints it from the converters' progress reports and
// shows how far it has come in the caption ("37% - Orvane"), where it is seen
// also with the window minimized. A repaint with nothing to paint costs next
// to nothing, a caption change about 3 ms under Wine: the window is
// repainted four times a second, the caption changed once a second at most.
constexpr DWORD kRepaintInterval = 250;
constexpr DWORD kCaptionInterval = 1000;

bool progressShown = true;  // off only for benchmarks
RunProgressCost progressCost = {};

// Adds the time of one update of the display to progressCost; an update
// within another counts as part of it.
class CostedUpdate {
 public:
  CostedUpdate() {
    if (depth_++ == 0) QueryPerformanceCounter(&start_);
  }
  ~CostedUpdate() {
    if (--depth_ > 0) return;
    LARGE_INTEGER end;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    ++progressCost.updates;
    progressCost.seconds +=
        static_cast<double>(end.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
  }
  CostedUpdate(const CostedUpdate&) = delete;
  CostedUpdate& operator=(const CostedUpdate&) = delete;

 private:
  static int depth_;
  LARGE_INTEGER start_ = {};
};

int CostedUpdate::depth_ = 0;

// How often the window is shown while small files go by: at most ten
// pictures a second, which show the list shrinking and the status line
// changing as smoothly as the eye follows them. Everything the run changes
// in the window between two pictures waits for the next one: the status
// texts (ui/Messages), the converted entries' removal and the scrolling to
// the entry converted now; each of these costs, under Wine, as much as
// converting a small file. A picture itself costs a few milliseconds, and
// under Wine twenty to forty (holding and releasing the list's drawing
// alone costs fifteen to twenty-five, repainting it six, removing the
// entries a few hundredths of a millisecond each): the next picture comes
// no sooner than kPictureShare times the last one's cost after it, so that
// the pictures take about a fifteenth of the run.
constexpr DWORD kFrameInterval = 100;
constexpr DWORD kPictureShare = 15;

// The run's pictures. Removing an entry scrolls the list and redraws its
// scroll bar at once; with the list's redrawing held, the removals of a
// picture cost one repaint together. Before a box opens, and whenever a long
// file repaints the window, a picture is shown at once, so that the list
// behind the box is as it would have been with each entry removed at once
// and the entry converted now in view.
class RunPicture {
 public:
  RunPicture(HWND mainWindow, HWND list) : mainWindow_(mainWindow), list_(list), lastPicture_(GetTickCount()) {
    current_ = this;
    PaceStatusTexts(true, CatchUpForBox);
  }
  ~RunPicture() {
    PaceStatusTexts(false);
    current_ = nullptr;
    Show();
  }
  RunPicture(const RunPicture&) = delete;
  RunPicture& operator=(const RunPicture&) = delete;

  // Notes that the run converts entry `index` now.
  void Converting(int index) { converting_ = index; }

  // Notes that entry `index` was converted; it stays listed until the next
  // picture. Every entry noted lies before the entries the run has still to
  // read.
  void Converted(int index) { indexes_.push_back(index); }

  // Shows a picture when one is due; returns how many entries left the list.
  int ShowWhenDue() { return GetTickCount() - lastPicture_ >= interval_ ? Show() : 0; }

  // How many noted entries left the list in pictures shown for a box or
  // during a long file since the last call.
  int TakeRemovedMeanwhile() {
    const int removed = removedMeanwhile_;
    removedMeanwhile_ = 0;
    return removed;
  }

  // Shows a picture now: before a box opens, and whenever a long file
  // repaints the window, so that no converted entry stays listed (and
  // counted in the caption) while a long file goes on.
  static void CatchUp(HWND mainWindow) {
    if (current_) {
      current_->removedMeanwhile_ += current_->Show();
    } else {
      ShowWaitingStatusText();
      UpdateWindow(mainWindow);
    }
  }

 private:
  // The entries waiting leave the list, the entry converted now is scrolled
  // into view, the status text that waits is shown, and the window is
  // repainted.
  int Show() {
    CostedUpdate cost;
    const DWORD start = GetTickCount();
    const int removed = static_cast<int>(indexes_.size());
    converting_ -= removed;
    const bool scroll = converting_ >= 0 && converting_ != shownConverting_;
    if (removed > 0 || scroll) {
      SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
      RemoveListedFiles(list_, indexes_.data(), removed);
      indexes_.clear();
      // The list scrolls only while it may draw.
      SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
      if (scroll) SendMessageA(list_, LVM_ENSUREVISIBLE, converting_, FALSE);
      shownConverting_ = converting_;
    }
    ShowWaitingStatusText();
    UpdateWindow(mainWindow_);
    lastPicture_ = GetTickCount();
    interval_ = std::max(kFrameInterval, (lastPicture_ - start) * kPictureShare);
    return removed;
  }

  static void CatchUpForBox() {
    if (current_) CatchUp(current_->mainWindow_);
  }

  static RunPicture* current_;
  HWND mainWindow_;
  HWND list_;
  std::vector<int> indexes_;
  int converting_ = -1;
  int shownConverting_ = -1;
  DWORD lastPicture_;  // when the last picture was done
  DWORD interval_ = kFrameInterval;
  int removedMeanwhile_ = 0;
};

RunPicture* RunPicture::current_ = nullptr;

class FileProgress {
 public:
  explicit FileProgress(HWND mainWindow) : window_(mainWindow) {
    GetWindowTextA(mainWindow, caption_, sizeof caption_);
    current_ = this;
    progressCost = {};
    if (progressShown) WatchProgress(Watch);
  }
  ~FileProgress() {
    WatchProgress(nullptr);
    current_ = nullptr;
    EndFile();
  }
  FileProgress(const FileProgress&) = delete;
  FileProgress& operator=(const FileProgress&) = delete;

  // Puts the window's own caption back once a file is done.
  void EndFile() {
    if (percent_ < 0) return;
    CostedUpdate cost;
    percent_ = -1;
    SetWindowTextA(window_, caption_);
  }

 private:
  // The converters report after every run of blocks; a step's first report
  // (0 done) and its last (all done) show nothing: a file that fits in one
  // run never touches the caption. The first report of a run that shows
  // something shows it at once.
  static void Watch(HWND, std::uint64_t done, std::uint64_t total) {
    FileProgress* self = current_;
    if (!self || done == 0 || done >= total) return;
    const DWORD now = GetTickCount();
    if (self->repainted_ && now - self->lastRepaint_ < kRepaintInterval) return;
    CostedUpdate cost;
    RunPicture::CatchUp(self->window_);
    const int percent = static_cast<int>(done * 100 / total);
    if (percent != self->percent_ && (!self->captioned_ || now - self->lastCaption_ >= kCaptionInterval)) {
      self->captioned_ = true;
      self->lastCaption_ = now;
      self->percent_ = percent;
      char number[16];
      std::snprintf(number, sizeof number, "%d%%", percent);
      char format[kStringSize];
      if (GetString(format, IDS_MAIN_TITLE)) SetWindowTextF(self->window_, format, number);
    }
    self->repainted_ = true;
    self->lastRepaint_ = now;
  }

  static FileProgress* current_;
  HWND window_;
  char caption_[kStringSize];
  int percent_ = -1;  // the percentage in the caption; -1: the window's own caption
  bool repainted_ = false;
  DWORD lastRepaint_ = 0;
  bool captioned_ = false;
  DWORD lastCaption_ = 0;
};

FileProgress* FileProgress::current_ = nullptr;

// The run's begin or end line in the log, after a backup of the log; the log
// is closed again so that it is complete between runs.
void LogRunLine(const ProgramOptions* options, UINT lineId) {
  if (!options->LogFile) return;
  BackupLogFile();
  char now[kStringSize];
  LogWrite(lineId, FormatIntlDateTime(now));
  LogWrite(0);
}


// Converts the file of entry `index`: 1 converted, 0 not, -1 cancelled.
int ConvertEntry(HWND mainWindow, HWND list, int index, int mode, DWORD key, ProgramOptions* options) {
  char path[kPathSize];
  ReadListedFile(list, index, path);
  ConversionJob* job = CreateConversionJob(mainWindow, list, path, key, options);
  if (!job) {
    return ShowMessage(mainWindow, IDS_PROGRAM_NAME, IDS_NO_MEMORY, "conversion job",
                       static_cast<int>(sizeof(ConversionJob)));
  }
  return mode == kRunEncrypt ? EncryptFile(job) : DecodeFile(job);
}

}  // namespace

int RunConversion(HWND mainWindow, int mode, ProgramOptions* options) {
  const bool encrypt = mode == kRunEncrypt;
  HWND list = GetDlgItem(mainWindow, encrypt ? IDC_ENCRYPT_LIST : IDC_DECODE_LIST);
  const int count = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;

  DWORD key = 0;
  if (!AskKey(mainWindow, encrypt ? kKeyForEncryption : kKeyForDecoding, &key)) return 0;
  SetStatusText(encrypt ? IDS_ENCRYPTION_UNDERWAY : IDS_DECODING_UNDERWAY);
  options->Busy = encrypt ? kEncrypting : kDecoding;
  UpdateCommandStates(mainWindow, options);
  LogRunLine(options, encrypt ? IDS_LOG_ENCRYPT_RUN_BEGUN : IDS_LOG_DECODE_RUN_BEGUN);
  if (options->Hide) ShowWindow(mainWindow, SW_MINIMIZE);

  int converted = 0;
  {
    FileProgress progress(mainWindow);
    RunPicture picture(mainWindow, list);
    // The count was taken before the key was asked: files listed later are
    // not part of this run. A converted file leaves the list and the ones
    // after it move up; a failed one stays where it was.
    for (int index = 0, left = count; left > 0; --left) {
      picture.Converting(index);
      const int result = ConvertEntry(mainWindow, list, index, mode, key, options);
      progress.EndFile();
      index -= picture.TakeRemovedMeanwhile();
      if (result < 0) break;
      if (result == 1) {
        picture.Converted(index);
        ++converted;
      }
      index = index + 1 - picture.ShowWhenDue();
    }
  }
  key = 0;

  const UINT countText = encrypt ? IDS_ENCRYPTED_COUNT : IDS_DECODED_COUNT;
  const char* plural = converted == 1 ? "" : "s";
  SetStatusText(countText, converted, plural);
  options->Busy = kIdle;
  LogRunLine(options, encrypt ? IDS_LOG_ENCRYPT_RUN_STOPPED : IDS_LOG_DECODE_RUN_STOPPED);
  if (options->Hide) {
    // The restored window lays itself out again, which puts "Ready ..." on
    // the status line: the count is shown once more, so that it is seen.
    ShowWindow(mainWindow, SW_RESTORE);
    SetStatusText(countText, converted, plural);
  }
  // Files handed over during the run are added now, as a drop would be.
  PostWaitingFiles();
  return converted > 0 ? 1 : 0;
}

void ShowRunProgress(int on) { progressShown = on != 0; }

RunProgressCost LastRunProgressCost() { return progressCost; }
