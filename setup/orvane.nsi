; Orvane's setup program and its uninstaller, for either Windows build.
; setup/CMakeLists.txt runs makensis with these definitions:
;   TARGET        x86-unicode or amd64-unicode: the width of the build
;   PROGRAM       orvane or orvane64, the program's file name without ".exe"
;   UNINSTALL_NAME  its key in the system's list of installed programs
;   PROGRAM_DIR   the build's program folder (program, help file, web page)
;   ICON          the program's icon, SIDE_PICTURE the welcome and finish
;                 pages' picture, both drawn into the build tree
;   VERSION       the short version ("3.1"), VERSION_QUAD its four numbers
;   PRODUCT, COMPANY, COPYRIGHT   texts of the program's version resource
;   OUTFILE       where the setup program goes
;
; The setup program installs the program of its own build: the 32-bit one
; into the 32-bit program folder, the 64-bit one into the 64-bit folder.
; It makes no shortcuts of the program's own (its first run offers them);
; unless the user leaves them out, it adds Orvane to Explorer: the verbs of
; encrypted files and of every other file, and a Send To shortcut.

Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "nsDialogs.nsh"

!if ${TARGET} == amd64-unicode
  !define BITS_NOTE " (64-bit)"
  InstallDir "$PROGRAMFILES64\Norvik Studio\Orvane"
!else
  !define BITS_NOTE ""
  InstallDir "$PROGRAMFILES\Norvik Studio\Orvane"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${UNINSTALL_NAME}"

; What the program writes about itself (settings/SettingsStore.cpp,
; engine/EncryptFile.cpp, settings/ExplorerIntegration.cpp).
!define SETTINGS_ROOT "Software\Norvik Studio\Orvane for Windows 95/NT"
!define MAKER_KEY "Software\Norvik Studio"
!define APP_PATHS "Software\Microsoft\Windows\CurrentVersion\App Paths"
!define HELP_FOLDERS "Software\Microsoft\Windows\Help"
!define SHELL_FOLDERS "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
!define PROGRAM_GROUP "Norvik Studio"
!define SHORTCUT_NAME "Orvane.lnk"
!define ENCRYPTED_TYPE "Encrypted File"
!define MAIN_WINDOW_CLASS "OrvaneAppClass"
; The Explorer entries: the verbs of the type above and of every file
; ("*"), and the Send To shortcut; the program writes none of them.
!define TYPE_VERBS "Software\Classes\${ENCRYPTED_TYPE}\shell"
!define ENCRYPT_VERB "Software\Classes\*\shell\OrvaneEncrypt"
!define SENDTO_NAME "Orvane.lnk"

Name "Orvane ${VERSION}${BITS_NOTE}"
OutFile "${OUTFILE}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Norvik Studio"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion ${VERSION_QUAD}
VIFileVersion ${VERSION_QUAD}
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"
; The uninstaller carries the same version resource.
VIAddVersionKey /LANG=1033 "FileDescription" "Orvane ${VERSION}${BITS_NOTE} Setup and Uninstaller"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_PICTURE}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SIDE_PICTURE}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "This will install Orvane ${VERSION}${BITS_NOTE}, the file encryption utility, with its help file.$\r$\n$\r$\nWhen Orvane first starts, it offers to put its shortcuts in the Start Menu, on the Desktop and in the Startup folder.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
Page custom ExplorerPage ExplorerPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}.exe"
!define MUI_FINISHPAGE_RUN_TEXT "&Start Orvane now"
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.KeepSettingsPage un.KeepSettingsPageLeave
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---- Shared by both ---------------------------------------------------------

; Waits while Orvane runs: its files cannot be replaced or removed then. A
; silent run does not wait; it fails with exit status 2.
!macro WaitForOrvaneToEnd UN
Function ${UN}WaitForOrvaneToEnd
  check:
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    StrCmp $0 0 done
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Orvane is running.$\r$\n$\r$\nPlease close it, then click Retry." /SD IDCANCEL IDRETRY check
    SetErrorLevel 2
    Quit
  done:
FunctionEnd
!macroend
!insertmacro WaitForOrvaneToEnd ""
!insertmacro WaitForOrvaneToEnd "un."

; ---- Setup ------------------------------------------------------------------

Var ExplorerEntries
Var ExplorerEntriesBox

Function .onInit
!if ${TARGET} == amd64-unicode
  SetRegView 64
!endif
  ; Added unless the user says otherwise; a silent run leaves them out
  ; with /NOEXPLORER.
  StrCpy $ExplorerEntries ${BST_CHECKED}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOEXPLORER" $1
  ${IfNot} ${Errors}
    StrCpy $ExplorerEntries ${BST_UNCHECKED}
  ${EndIf}
FunctionEnd

Function ExplorerPage
  !insertmacro MUI_HEADER_TEXT "Orvane in Explorer" "Convert files from Explorer's menus and its Send To menu."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 84u "Setup can add Orvane to Explorer:$\r$\n$\r$\n  - a double-click on an encrypted file lists it for decoding;$\r$\n  - the menu of an encrypted file offers Decode with Orvane;$\r$\n  - the menu of every other file offers Encrypt with Orvane;$\r$\n  - Send To offers Orvane, which lists each file where it belongs.$\r$\n$\r$\nFiles go to a running Orvane when there is one. The uninstaller removes these entries."
  Pop $0
  ${NSD_CreateCheckbox} 0 92u 100% 12u "&Add Orvane to Explorer's menus and to Send To"
  Pop $ExplorerEntriesBox
  ${NSD_SetState} $ExplorerEntriesBox $ExplorerEntries
  nsDialogs::Show
FunctionEnd

Function ExplorerPageLeave
  ${NSD_GetState} $ExplorerEntriesBox $ExplorerEntries
FunctionEnd

Section "Orvane" SecProgram
  SectionIn RO
  Call WaitForOrvaneToEnd
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}\${PROGRAM}.exe"
  File "${PROGRAM_DIR}\${PROGRAM}.hlp"
  File "${PROGRAM_DIR}\${PROGRAM}.cnt"
  File "${PROGRAM_DIR}\orvane.htm"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvane ${VERSION}${BITS_NOTE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The command-line tool and its manual, beside the program; chosen unless
; the user takes it out.
Section "Command-line tool" SecTool
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}\${PROGRAM}-cli.exe"
  File "${PROGRAM_DIR}\orvane-cli.txt"
SectionEnd

; The Explorer entries, for every user of the machine; the Send To
; shortcut for the user who installs.
Section "-Explorer entries"
  ${If} $ExplorerEntries <> ${BST_CHECKED}
    Return
  ${EndIf}
  StrCpy $0 '"$INSTDIR\${PROGRAM}.exe"'
  WriteRegStr HKLM "${TYPE_VERBS}" "" "open"
  WriteRegStr HKLM "${TYPE_VERBS}\open\command" "" '$0 /decode "%1"'
  WriteRegStr HKLM "${TYPE_VERBS}\OrvaneDecode" "" "&Decode with Orvane"
  WriteRegStr HKLM "${TYPE_VERBS}\OrvaneDecode\command" "" '$0 /decode "%1"'
  WriteRegStr HKLM "${ENCRYPT_VERB}" "" "&Encrypt with Orvane"
  WriteRegStr HKLM "${ENCRYPT_VERB}\command" "" '$0 /encrypt "%1"'
  CreateShortCut "$SENDTO\${SENDTO_NAME}" "$INSTDIR\${PROGRAM}.exe" "/add"
SectionEnd

Section "-Size"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Orvane itself, its help file and its web page."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecTool} "${PROGRAM}-cli.exe, which encrypts, decodes and describes Orvane files from a command prompt or a script, and its manual, orvane-cli.txt."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; ---- Uninstaller ------------------------------------------------------------

Var KeepSettings
Var KeepSettingsBox

Function un.onInit
!if ${TARGET} == amd64-unicode
  SetRegView 64
!endif
  ; Kept unless the user says otherwise, and always in a silent run.
  StrCpy $KeepSettings ${BST_CHECKED}
FunctionEnd

Function un.KeepSettingsPage
  !insertmacro MUI_HEADER_TEXT "Your settings and your files" "Orvane's settings can stay for a later installation."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 60u "The program, its help file, the shortcuts Orvane made in the Start Menu, on the Desktop and in the Startup folder, its entries in Explorer's menus and in Send To, its application path and the file type of encrypted files are removed.$\r$\n$\r$\nYour own files are never touched: every encrypted file and every plain file stays where it is, and Orvane decodes an encrypted file again with its key after a new installation."
  Pop $0
  ${NSD_CreateCheckbox} 0 70u 100% 24u "&Keep my Orvane settings (options, window places, access password) and the operation log"
  Pop $KeepSettingsBox
  ${NSD_SetState} $KeepSettingsBox $KeepSettings
  nsDialogs::Show
FunctionEnd

Function un.KeepSettingsPageLeave
  ${NSD_GetState} $KeepSettingsBox $KeepSettings
FunctionEnd

; The target of the shortcut file $0 in $1, or "" when it cannot be read.
Function un.ShortcutTarget
  StrCpy $1 ""
  ; CLSID_ShellLink, asking for IShellLinkW.
  System::Call "ole32::CoCreateInstance(g '{00021401-0000-0000-C000-000000000046}', p 0, i 1, g '{000214F9-0000-0000-C000-000000000046}', *p .r2) i .r3"
  ${If} $3 = 0
    ; IUnknown::QueryInterface for IPersistFile.
    System::Call "$2->0(g '{0000010b-0000-0000-C000-000000000046}', *p .r4) i .r3"
    ${If} $3 = 0
      System::Call "$4->5(w r0, i 0) i .r3"  ; IPersistFile::Load
      ${If} $3 = 0
        System::Call "$2->3(w .r1, i ${NSIS_MAX_STRLEN}, p 0, i 0) i .r3"  ; IShellLinkW::GetPath
        ${If} $3 <> 0
          StrCpy $1 ""
        ${EndIf}
      ${EndIf}
      System::Call "$4->2()"
    ${EndIf}
    System::Call "$2->2()"
  ${EndIf}
FunctionEnd

; Removes Orvane's shortcut from the user's shell folder named $5 (a value of
; "Shell Folders", as the program reads it), with the sub-folder $6, when it
; starts this installation's program: the shortcut of another copy of Orvane
; stays.
Function un.RemoveShortcut
  ReadRegStr $7 HKCU "${SHELL_FOLDERS}" $5
  ${If} $7 == ""
    Return
  ${EndIf}
  ${If} $6 != ""
    StrCpy $7 "$7\$6"
  ${EndIf}
  StrCpy $0 "$7\${SHORTCUT_NAME}"
  ${IfNot} ${FileExists} $0
    Return
  ${EndIf}
  Call un.ShortcutTarget
  ${If} $1 == "$INSTDIR\${PROGRAM}.exe"
    Delete $0
  ${Else}
    DetailPrint "Kept $0: it starts $1"
  ${EndIf}
  ${If} $6 != ""
    RMDir $7  ; the maker's program group, when nothing else is in it
  ${EndIf}
FunctionEnd

; Removes the file type of encrypted files from "Software\Classes" of
; SHCTX (the machine's or the user's classes, as SetShellVarContext says)
; when its icon comes from this installation's program: every ".(=ext=)"
; extension that names it, then the type itself.
Function un.RemoveEncryptedFileTypes
  ReadRegStr $0 SHCTX "Software\Classes\${ENCRYPTED_TYPE}\DefaultIcon" ""
  StrCpy $1 "$INSTDIR\${PROGRAM}.exe,"
  StrLen $2 $1
  StrCpy $0 $0 $2
  ${If} $0 != $1
    Return
  ${EndIf}
  StrCpy $0 0
  ${Do}
    EnumRegKey $1 SHCTX "Software\Classes" $0
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    StrCpy $2 $1 3
    StrCpy $3 $1 "" -2
    StrCpy $4 ""
    ; Only the extensions' default values are read: the classes hold
    ; thousands of keys.
    ${If} $2 == ".(="
    ${AndIf} $3 == "=)"
      ReadRegStr $4 SHCTX "Software\Classes\$1" ""
    ${EndIf}
    ${If} $4 == "${ENCRYPTED_TYPE}"
      ClearErrors
      DeleteRegKey SHCTX "Software\Classes\$1"
      ; The next key has moved into this place, unless the key stayed.
      ${If} ${Errors}
        IntOp $0 $0 + 1
      ${EndIf}
    ${Else}
      IntOp $0 $0 + 1
    ${EndIf}
  ${Loop}
  DeleteRegKey SHCTX "Software\Classes\${ENCRYPTED_TYPE}"
FunctionEnd

; Removes the verb key $4 when its command starts this installation's
; program.
Function un.RemoveVerb
  ReadRegStr $0 HKLM "$4\command" ""
  StrCpy $1 '"$INSTDIR\${PROGRAM}.exe" '
  StrLen $2 $1
  StrCpy $0 $0 $2
  ${If} $0 == $1
    DeleteRegKey HKLM $4
  ${EndIf}
FunctionEnd

; Removes the Explorer entries that start this installation's program:
; those of another copy of Orvane stay.
Function un.RemoveExplorerEntries
  StrCpy $4 "${TYPE_VERBS}\open"
  Call un.RemoveVerb
  StrCpy $4 "${TYPE_VERBS}\OrvaneDecode"
  Call un.RemoveVerb
  StrCpy $4 "${ENCRYPT_VERB}"
  Call un.RemoveVerb
  ; The default verb goes with the verb it names.
  ReadRegStr $0 HKLM "${TYPE_VERBS}" ""
  ReadRegStr $1 HKLM "${TYPE_VERBS}\open\command" ""
  ${If} $0 == "open"
  ${AndIf} $1 == ""
    DeleteRegValue HKLM "${TYPE_VERBS}" ""
  ${EndIf}
  DeleteRegKey /ifempty HKLM "${TYPE_VERBS}"
  DeleteRegKey /ifempty HKLM "Software\Classes\${ENCRYPTED_TYPE}"
  DeleteRegKey /ifempty HKLM "Software\Classes\*\shell"

  StrCpy $0 "$SENDTO\${SENDTO_NAME}"
  ${If} ${FileExists} $0
    Call un.ShortcutTarget
    ${If} $1 == "$INSTDIR\${PROGRAM}.exe"
      Delete $0
    ${Else}
      DetailPrint "Kept $0: it starts $1"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.WaitForOrvaneToEnd

  Delete "$INSTDIR\${PROGRAM}.exe"
  Delete "$INSTDIR\${PROGRAM}.hlp"
  Delete "$INSTDIR\${PROGRAM}.cnt"
  Delete "$INSTDIR\orvane.htm"
  Delete "$INSTDIR\${PROGRAM}-cli.exe"
  Delete "$INSTDIR\orvane-cli.txt"
  ; The help viewer's index and search files, made beside the help file.
  Delete "$INSTDIR\${PROGRAM}.gid"
  Delete "$INSTDIR\${PROGRAM}.fts"
  Delete "$INSTDIR\${PROGRAM}.ftg"
  Delete "$INSTDIR\uninstall.exe"

  ; The shortcuts, as settings/ExplorerIntegration.cpp places them.
  StrCpy $5 "Programs"
  StrCpy $6 "${PROGRAM_GROUP}"
  Call un.RemoveShortcut
  StrCpy $5 "Desktop"
  StrCpy $6 ""
  Call un.RemoveShortcut
  StrCpy $5 "Startup"
  Call un.RemoveShortcut

  Call un.RemoveExplorerEntries

  ; The application path and the help folder, when they name this
  ; installation (the program writes its path in lower case).
  ReadRegStr $0 HKLM "${APP_PATHS}\${PROGRAM}.exe" ""
  ${If} $0 == "$INSTDIR\${PROGRAM}.exe"
    DeleteRegKey HKLM "${APP_PATHS}\${PROGRAM}.exe"
  ${EndIf}
  ReadRegStr $0 HKLM "${HELP_FOLDERS}" "${PROGRAM}.hlp"
  ${If} $0 == "$INSTDIR"
    DeleteRegValue HKLM "${HELP_FOLDERS}" "${PROGRAM}.hlp"
  ${EndIf}

  ; The version entries: the machine's key and the line in the user's
  ; system profile, which goes with its section when that is left empty.
  DeleteRegKey HKLM "${SETTINGS_ROOT}\Version"
  DeleteRegKey /ifempty HKLM "${SETTINGS_ROOT}"
  DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
  System::Call "kernel32::WriteProfileStringW(w '${PROGRAM_GROUP}', w '${PRODUCT}', p 0)"
  System::Call "kernel32::GetProfileSectionW(w '${PROGRAM_GROUP}', w .r0, i ${NSIS_MAX_STRLEN}) i .r1"
  ${If} $1 = 0
    System::Call "kernel32::WriteProfileStringW(w '${PROGRAM_GROUP}', p 0, p 0)"
  ${EndIf}

  ; The program registers the type wherever it may write classes.
  SetShellVarContext all
  Call un.RemoveEncryptedFileTypes
  SetShellVarContext current
  Call un.RemoveEncryptedFileTypes

  ${If} $KeepSettings <> ${BST_CHECKED}
    DeleteRegKey HKCU "${SETTINGS_ROOT}"
    DeleteRegKey /ifempty HKCU "${MAKER_KEY}"
    Delete "$INSTDIR\${PROGRAM}.log"
    Delete "$INSTDIR\Backup of ${PROGRAM}.log"
    Delete "$INSTDIR\${PROGRAM}.ini"
  ${Else}
    DetailPrint "Kept Orvane's settings and its operation log"
  ${EndIf}
  DetailPrint "Your encrypted and plain files were not touched"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  RMDir "$INSTDIR"
  ${GetParent} "$INSTDIR" $0
  RMDir $0  ; "Norvik Studio", when nothing else is in it
SectionEnd
