// The close path of the main window.
#include "app/CloseMainWindow.h"

#include <commctrl.h>

#include "context/AppContext.h"
#include "app/HandOff.h"
#include "app/MainWindow.h"
#include "app/Tray.h"
#include "ui/WindowPlacement.h"
#include "engine/OperationLog.h"
#include "resource.h"
#include "ui/Messages.h"
#include "ui/Splash.h"

namespace {

bool HasEntries(HWND list) { return list && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0; }

}  // namespace

int CloseMainWindow(HWND mainWindow, ProgramOptions* options) {
  // A request sent by another program (a log-off) is answered even while a
  // conversion run holds the message loop; the run's lists and the file
  // under way must not go away under it.
  if (options->Busy != kIdle) return 0;
  CloseSplash();
  HWND encryptList = GetDlgItem(mainWindow, IDC_ENCRYPT_LIST);
  HWND decodeList = GetDlgItem(mainWindow, IDC_DECODE_LIST);
  if ((HasEntries(encryptList) || HasEntries(decodeList)) &&
      !AskYesNo(mainWindow, 1, IDS_PROGRAM_NAME, IDS_CONFIRM_QUIT_LISTED)) {
    return 0;
  }
  // Files handed over while the questions were open are listed, and the
  // window stays for them: the user has not seen them yet.
  if (FilesAreWaiting()) {
    PostWaitingFiles();
    return 0;
  }
  // From here no file handed over would be listed: later starts wait for
  // this copy to end. Closed before anything that may take a message
  // from another process (the tray icon's removal does).
  CloseHandOffWindow();
  StoreCurrentFolder(options);
  SaveWindowPlacement(mainWindow, &options->Window);
  ReadColumnWidths(encryptList, options->EncryptColumns);
  ReadColumnWidths(decodeList, options->DecodeColumns);
  LogWrite(0);
  if (options->TaskTray) RemoveTrayIcon(mainWindow);

  DestroyWindow(mainWindow);
  if (App().mainWindow == mainWindow) {
    App().mainWindow = nullptr;
    ForgetChildWindows();
  }
  PostQuitMessage(0);
  return 1;
}
