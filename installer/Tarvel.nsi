; Tarvel's installer and uninstaller, for one flavour (x86_64 or i686).
;
; makensis -NOCD -DVERSION=2.0.1107.2101 -DFLAVOUR=x86_64 -DTARVEL_EXE=... -DREADME=...
;          -DICON=... -DAPP_MESSAGES=app/AppMessages.h -DRESOURCES=res/Tarvel.rc
;          -DOUTFILE=... Tarvel.nsi
; (installer/CMakeLists.txt passes all of them.)
;
; Installs Tarvel.exe and README.txt into Program Files\Tarvel, starts Tarvel at log-on
; through the user's Run key, and registers an uninstaller in Programs and Features. The
; firmware bridge ORVWmiAcpi.dll is the notebook maker's and is not shipped here.

!ifndef VERSION | FLAVOUR | TARVEL_EXE | README | ICON | APP_MESSAGES | RESOURCES | OUTFILE
    !error "define VERSION, FLAVOUR, TARVEL_EXE, README, ICON, APP_MESSAGES, RESOURCES and OUTFILE"
!endif

!if "${FLAVOUR}" == "x86_64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
    !define REG_VIEW 64
!else if "${FLAVOUR}" == "i686"
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
    !define REG_VIEW 32
!else
    !error "FLAVOUR must be x86_64 or i686"
!endif

; Taken from the program's own sources, so that the uninstaller asks the very window
; Tarvel makes, with the very command its tray menu sends.
!searchparse /file "${APP_MESSAGES}" "#define ID_TRAY_EXIT " ID_TRAY_EXIT
!searchparse /file "${RESOURCES}" 'CAPTION "' MAIN_WINDOW_CAPTION '"'

!define PRODUCT "Tarvel"
!define PUBLISHER "ORV"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define BRIDGE "ORVWmiAcpi.dll"

!addincludedir "${__FILEDIR__}"
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include MUI2.nsh
!include StopTarvel.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all
BrandingText "${PRODUCT} ${VERSION} (${FLAVOUR})"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION} (${FLAVOUR}), the GPU overclock switch of the notification area, and starts it at each log-on.$\r$\n$\r$\n${PRODUCT} needs the notebook maker's firmware bridge ${BRIDGE}, which is not part of this installer: it must be beside Tarvel.exe or on the DLL search path (for instance in the Windows system folder). It also needs NVIDIA's or ATI's graphics driver.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} (${FLAVOUR}) setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2011 ORV"

!insertmacro DEFINE_STOP_TARVEL ""
!insertmacro DEFINE_STOP_TARVEL "un."

Function .onInit
    SetRegView ${REG_VIEW}
FunctionEnd

Function un.onInit
    SetRegView ${REG_VIEW}
FunctionEnd

Section "Tarvel"
    ; An earlier Tarvel still running holds Tarvel.exe open.
    Call StopTarvel
    ${If} $StopTarvelResult != "stopped"
        MessageBox MB_OK|MB_ICONSTOP "The running ${PRODUCT} did not end. Choose Exit in its tray menu, then run this installer again." /SD IDOK
        Abort
    ${EndIf}

    SetOutPath "$INSTDIR"
    File "/oname=Tarvel.exe" "${TARVEL_EXE}"
    File "/oname=README.txt" "${README}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Tarvel.exe"'

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Tarvel.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ${IfNot} ${FileExists} "$INSTDIR\${BRIDGE}"
    ${AndIfNot} ${FileExists} "$SYSDIR\${BRIDGE}"
        DetailPrint "${BRIDGE} was not found beside Tarvel.exe or in the system folder"
        MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT} needs the notebook maker's firmware bridge ${BRIDGE}, which was not found. Put it into $INSTDIR or on the DLL search path; until then ${PRODUCT} cannot start." /SD IDOK
    ${EndIf}
SectionEnd

Section "Uninstall"
    ; First, so that the clocks are back at their defaults before anything goes.
    Call un.StopTarvel
    ${If} $StopTarvelResult != "stopped"
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} did not end within 10 seconds, so the default clocks may not be restored. Choose Exit in its tray menu, then run the uninstaller again." /SD IDOK
        Abort
    ${EndIf}

    ; Nothing else is removed while Tarvel.exe cannot be, so that a failed run can simply
    ; be repeated.
    Delete "$INSTDIR\Tarvel.exe"
    ${If} ${FileExists} "$INSTDIR\Tarvel.exe"
        MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\Tarvel.exe is in use and could not be removed. End the program that uses it, then run the uninstaller again." /SD IDOK
        Abort
    ${EndIf}
    Delete "$INSTDIR\README.txt"

    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    Delete "$INSTDIR\Uninstall.exe"
    ; Not /r: whatever the user put there himself (the bridge, say) stays, with its folder.
    RMDir "$INSTDIR"
SectionEnd
