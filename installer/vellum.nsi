; Per-user installer of 栖木抓屏精灵 (Vellum Capture), built by scripts/package.sh:
;   makensis -DVERSION=1.2.44 -DPUBLISHER=... -DSTAGE=<folder> -DOUTFILE=<setup.exe>
;            -DSIZE_KB=<n> -DICON=<.ico> installer/vellum.nsi
; STAGE holds Vellum_Capture.exe, LICENSE.txt and guide.txt (the user guide, installed as
; 使用说明.txt), all with the same fixed modification time, so that the installer is the same
; byte for byte from the same sources.
;
; Command line: /S silent; /LOGON selects "start at logon" (also when silent); /D=<folder>
; (last, unquoted) the install folder.
;
; The program keeps Settings.ini beside itself, so it goes where the user can write: the user's
; own programs folder, without an administrator prompt, registered under HKCU only.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
; The file times stored are the staged files' (fixed by the packaging script).
SetDateSave on

!macro REQUIRE_DEFINE name
  !ifndef ${name}
    !error "${name} is not defined (scripts/package.sh defines it)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE PUBLISHER
!insertmacro REQUIRE_DEFINE STAGE
!insertmacro REQUIRE_DEFINE OUTFILE
!insertmacro REQUIRE_DEFINE SIZE_KB
!insertmacro REQUIRE_DEFINE ICON

!define APP_NAME "栖木抓屏精灵"
!define EXE_NAME "Vellum_Capture.exe"
; The program's base name: the name of its Run value and of its uninstall key.
!define BASE_NAME "Vellum_Capture"
!define MAIN_WINDOW_CLASS "VellumForm1"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${BASE_NAME}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SHORTCUT "$SMPROGRAMS\${APP_NAME}.lnk"
!define GUIDE_NAME "使用说明.txt"
!define UNINSTALLER "uninst.exe"
; What the program's 自动启动 box writes: its quoted full path, a blank, "/a".
!define RUN_COMMAND '"$INSTDIR\${EXE_NAME}" /a'

Name "${APP_NAME}"
Caption "${APP_NAME} ${VERSION} 安装"
UninstallCaption "${APP_NAME} ${VERSION} 卸载"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vellum Capture"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP_NAME} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${APP_NAME} 安装程序"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "MIT License, the Vellum developers"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

; The MIT license asks for no acceptance: the page informs and goes on.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "本程序以 MIT 许可证发布,可以自由使用、复制、修改和分发。"
!define MUI_LICENSEPAGE_BUTTON "下一步(&N) >"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE_NAME}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${GUIDE_NAME}"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

; A running copy holds its executable open and would write Settings.ini at its close: every
; main window of the program is asked to close (as the user would close it), and then the
; process is given a moment to end.
!macro CLOSE_RUNNING_PROGRAM un
Function ${un}CloseRunningProgram
  Push $0
  Push $1
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    IntOp $1 $1 + 1
    ${If} $1 >= 20
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  ${If} $1 > 0
    Sleep 500
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_PROGRAM ""
!insertmacro CLOSE_RUNNING_PROGRAM "un."

Section "!${APP_NAME}" SecProgram
  SectionIn RO
  Call CloseRunningProgram
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}\${EXE_NAME}"
  File "${STAGE}\LICENSE.txt"
  File "/oname=${GUIDE_NAME}" "${STAGE}\guide.txt"
  ; Settings.ini is the user's: an install over an older one never writes it (see SecLogon).
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortCut "${SHORTCUT}" "$INSTDIR\${EXE_NAME}" "" "$INSTDIR\${EXE_NAME}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE_NAME},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

; The same entry as the program's own 自动启动 box, and the box checked, so that the program
; shows the truth and a later uncheck there removes the entry again. Settings.ini is created in
; UTF-16 (with its byte-order mark), as the program keeps it, when there is none yet; otherwise
; only this one key of it changes.
Section /o "开机时在后台启动" SecLogon
  WriteRegStr HKCU "${RUN_KEY}" "${BASE_NAME}" '${RUN_COMMAND}'
  ${IfNot} ${FileExists} "$INSTDIR\Settings.ini"
    ClearErrors
    FileOpen $0 "$INSTDIR\Settings.ini" w
    ${IfNot} ${Errors}
      FileWriteWord $0 0xFEFF
      FileClose $0
    ${EndIf}
  ${EndIf}
  WriteINIStr "$INSTDIR\Settings.ini" "PXGR_${BASE_NAME}" "Form1_Check3" "1"
SectionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/LOGON" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecLogon}
  ${EndIf}
FunctionEnd

; Only what the installer put there, by name: the user may keep pictures in this folder, so the
; folder itself goes only when it is empty.
Section "Uninstall"
  Call un.CloseRunningProgram
  Delete "$INSTDIR\${EXE_NAME}"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${GUIDE_NAME}"
  ; The settings of this copy (and a copy left by a write that was cut short).
  Delete "$INSTDIR\Settings.ini"
  Delete "$INSTDIR\Settings.ini.tmp"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"

  ; The Run value is removed only when it starts this copy: a portable copy elsewhere that
  ; registered itself under the same name keeps its entry.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${BASE_NAME}"
  StrLen $1 '"$INSTDIR\${EXE_NAME}"'
  StrCpy $2 $0 $1
  ${If} $2 == '"$INSTDIR\${EXE_NAME}"'
    DeleteRegValue HKCU "${RUN_KEY}" "${BASE_NAME}"
  ${EndIf}

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
