// The record that hands one file to a converter, the message by which the
// converter hands it back, and the keyboard polling that lets the user
// cancel a conversion with Esc or Ctrl-C.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/ProgramOptions.h"

// Sent by EncryptFile and DecodeFile to the job's owner window when a file is
// finished, whatever the outcome: wParam 1 when the file was converted, 0
// when it was not; lParam the ConversionJob. The receiver owns the record
// from then on and releases it (ReleaseConversionJob).
constexpr UINT ConversionDone = WM_APP + 500;

constexpr int kJobPathSize = 256;  // a listed path: at most 255 characters

// One file's conversion. Lives in movable global memory, locked while in use.
struct ConversionJob {
  LONG quiet;     // 0: status texts and cancel polling; non-zero: neither
  HWND owner;     // owns the boxes, receives ConversionDone, is polled for keys
  HWND list;      // the list view the file came from
  char path[kJobPathSize];
  DWORD keyValue;  // KeyHash of the key; the converter ORs KeyMask into it
  ProgramOptions* options;
};

// Allocates a zero-filled record in movable global memory, locks it and
// fills it (quiet 0). Returns nullptr, allocating nothing, when `path` is
// longer than 255 characters (a cut path would name another file), and when
// memory cannot be had. Shows nothing.
ConversionJob* CreateConversionJob(HWND owner, HWND list, const char* path, DWORD keyValue,
                                   ProgramOptions* options);

// What the owner does with the record that ConversionDone brings:
// GlobalUnlock and GlobalFree of its GlobalHandle. Returns true when the
// block was freed.
bool ReleaseConversionJob(ConversionJob* job);

// Whether the user asked to cancel: takes every keyboard message
// (WM_KEYFIRST to WM_KEYLAST) waiting in `window`'s queue (none: the main
// window) and returns 1 when one of them pressed Esc or Ctrl-C, else 0. The
// messages taken are dropped, neither translated nor dispatched. The queue is looked
// at only when 50 ms have passed since the last look, so that the converters
// can ask twice per 16 KB block at no cost; the first call after
// ResetAbortPolling always looks.
int AbortRequested(HWND window);

// Makes the next AbortRequested look at the queue. The converters call it at
// the start of every file.
void ResetAbortPolling();

// How far the file under way has come: `done` of `total` bytes of the step
// the converter is in (the body, the clearing of the plain file). Unless the
// job is quiet, the converters report after every run of blocks, with 0 when
// a step begins; whoever runs them may watch (to show it, to repaint).
using ProgressWatcher = void (*)(HWND owner, std::uint64_t done, std::uint64_t total);

// Sets the watcher of the converters' reports; nullptr: nobody watches.
void WatchProgress(ProgressWatcher watcher);

// Hands a report to the watcher, if there is one.
void ReportProgress(HWND owner, std::uint64_t done, std::uint64_t total);
