; Tarvel's installer and uninstaller, for one flavour (x86_64 or i686).
;
; makensis -NOCD -DVERSION=2.0.1107.2101 -DFLAVOUR=x86_64 -DTARVEL_EXE=... -DREADME=...
;          -DBRIDGE_CHECK=.../BridgeCheck.exe -DICON=... -DAPP_MESSAGES=app/AppMessages.h
;          -DRESOURCES=res/Tarvel.rc -DOUTFILE=... Tarvel.nsi
; (installer/CMakeLists.txt passes all of them.)
;
; Installs Tarvel.exe and README.txt for the current user or for all users
; (InstallMode.nsh), starts Tarvel at log-on through the mode's Run key, adds a Start-menu
; shortcut and registers an uninstaller in Apps / Programs and Features. Offers to start
; Tarvel at the end (silently: /Start). The firmware bridge ORVWmiAcpi.dll is the notebook
; maker's and is not shipped here; the installer makes sure Tarvel will find it (Bridge.nsh).
;
; Switches: /S silent, /CurrentUser or /AllUsers, /Start, /Bridge=path or /NoBridge,
; /D=folder (a fresh install only).
; Exit statuses of a silent run: 0 installed; 2 refused (the mode, contradicting switches)
; or failed; 3 no usable bridge and none given; 4 the library given cannot be used.

!ifndef VERSION | FLAVOUR | TARVEL_EXE | README | BRIDGE_CHECK | ICON | APP_MESSAGES | RESOURCES | OUTFILE
    !error "define VERSION, FLAVOUR, TARVEL_EXE, README, BRIDGE_CHECK, ICON, APP_MESSAGES, RESOURCES and OUTFILE"
!endif

!if "${FLAVOUR}" == "x86_64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
    !define REG_VIEW 64
    !define BRIDGE_WIDTH "64-bit"
!else if "${FLAVOUR}" == "i686"
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
    !define REG_VIEW 32
    !define BRIDGE_WIDTH "32-bit"
!else
    !error "FLAVOUR must be x86_64 or i686"
!endif
; Before the includes: their functions are code, and the compressor is fixed by then.
SetCompressor /SOLID lzma
; The bridge check runs in .onInit: first in the solid block, so that extracting it does not
; unpack everything else.
ReserveFile "${BRIDGE_CHECK}"

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
!include nsDialogs.nsh
!include StopTarvel.nsh
!include InstallMode.nsh
!include StartTarvel.nsh
!include Bridge.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; No InstallDir: $INSTDIR depends on the mode (ApplyInstallMode), and stays empty in
; .onInit unless /D= gave one.
; No elevation up front: see InstallMode.nsh.
RequestExecutionLevel user
ManifestSupportedOS all
BrandingText "${PRODUCT} ${VERSION} (${FLAVOUR})"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION} (${FLAVOUR}), the GPU overclock switch of the notification area, for you alone or for all users of this computer. It starts ${PRODUCT} at each log-on and adds it to the Start menu.$\r$\n$\r$\n${PRODUCT} needs the notebook maker's firmware bridge ${BRIDGE}, which is not part of this installer: the installer looks for it where Windows will, and asks for the file if it finds none. ${PRODUCT} also needs NVIDIA's or ATI's graphics driver.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
Page custom ModePageCreate ModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE DirectoryPagePre
!insertmacro MUI_PAGE_DIRECTORY
Page custom BridgePageCreate BridgePageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTarvel
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH
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
!insertmacro DEFINE_RUN_ELEVATED_COPY ""
!insertmacro DEFINE_RUN_ELEVATED_COPY "un."

Var StartWhenSilent ; /Start

; Without a usable bridge Windows refuses to start Tarvel: no offer to.
Function FinishPageShow
    Call HideElevationShield
    ${If} $BridgeUsable = 0
        ${NSD_Uncheck} $mui.FinishPage.Run
        EnableWindow $mui.FinishPage.Run 0
    ${EndIf}
FunctionEnd

Function .onInit
    SetRegView ${REG_VIEW}
    !insertmacro READ_RIGHTS
    Call ReadInstallMode
    ${If} ${Silent}
        Call CheckInstallMode
        ${If} ${Errors}
            SetErrorLevel 2
            Quit
        ${EndIf}
    ${EndIf}
    Call ApplyInstallMode
    Call ReadBridgeOptions
    ; Interactive installs decide on the bridge page, once the folder is chosen.
    ${If} ${Silent}
        Call StopSilentlyWithoutBridge
    ${EndIf}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/Start" $1
    ${If} ${Errors}
        StrCpy $StartWhenSilent 0
    ${Else}
        StrCpy $StartWhenSilent 1
    ${EndIf}
FunctionEnd

; Interactive installs start Tarvel from the finish page.
Function .onInstSuccess
    ${If} ${Silent}
    ${AndIf} $StartWhenSilent = 1
    ${AndIf} $BridgeUsable = 1
        Call StartTarvel
    ${EndIf}
FunctionEnd

Function un.onInit
    SetRegView ${REG_VIEW}
    !insertmacro READ_RIGHTS
    ; An uninstaller belongs to the install it sits in: all users when the machine-wide
    ; uninstall entry names its folder.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $0 == $INSTDIR
        StrCpy $Mode "AllUsers"
        SetShellVarContext all
    ${Else}
        StrCpy $Mode "CurrentUser"
        SetShellVarContext current
    ${EndIf}
FunctionEnd

; Files, log-on value, uninstall entry and shortcut, in the mode's places (SHCTX and the
; shell folders follow SetShellVarContext). A macro, not a function: makensis counts the
; space a section needs from the File instructions written in it.
!macro INSTALL_HERE
    SetOutPath "$INSTDIR"
    Call InstallBridgeHere
    File "/oname=Tarvel.exe" "${TARVEL_EXE}"
    File "/oname=README.txt" "${README}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    WriteRegStr SHCTX "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Tarvel.exe"'

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Tarvel.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; Working folder: the install folder (SetOutPath above).
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tarvel.exe" "" "$INSTDIR\Tarvel.exe" 0 SW_SHOWNORMAL "" "Switches the GPU between its overclocked and its default clocks"
!macroend

; An all-users install replaces the one the user who runs it had for himself alone: its
; log-on value would start a second Tarvel (which ends at once, one being allowed per
; session) and its entry and shortcut would stay behind. The earlier installer, too, put
; the log-on value of a Program Files install under HKCU. The user's Tarvel has been
; ended already (StopTarvel); other accounts' own installs are theirs to remove.
Function RemoveUserInstall
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        DetailPrint "Removing ${PRODUCT} installed for this user alone, in $0"
        ${If} $0 != $INSTDIR
            Delete "$0\Tarvel.exe"
            Delete "$0\README.txt"
            Delete "$0\Uninstall.exe"
            !insertmacro REMOVE_COPIED_BRIDGE HKCU "$0"
            RMDir "$0"
        ${EndIf}
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
        SetShellVarContext current
        Delete "$SMPROGRAMS\${PRODUCT}.lnk"
        SetShellVarContext all
    ${EndIf}
    ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $1 == '"$INSTDIR\Tarvel.exe"'
    ${OrIf} $1 == '"$0\Tarvel.exe"'
        DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
FunctionEnd

Section "Tarvel"
    ; An earlier Tarvel still running holds Tarvel.exe open.
    Call StopTarvel
    ${If} $StopTarvelResult != "stopped"
        MessageBox MB_OK|MB_ICONSTOP "The running ${PRODUCT} did not end. Choose Exit in its tray menu, then run this installer again." /SD IDOK
        Abort
    ${EndIf}

    ${If} $Mode == "AllUsers"
    ${AndIf} $IsAdmin = 0
        ${If} $ElevatedCopy = 1
            ; Elevated, yet no administrator (a standard account with UAC turned off): a
            ; further copy would fare no better.
            DetailPrint "No administrator rights, even elevated"
            Abort
        ${EndIf}
        DetailPrint "Installing for all users, with administrator rights"
        !insertmacro BRIDGE_SWITCH $1
        Push "/S /AllUsers /Elevated $1 /D=$INSTDIR"
        Call RunElevatedCopy
        Pop $0
        ${If} $0 == "refused"
            MessageBox MB_OK|MB_ICONSTOP "Installing ${PRODUCT} for all users needs administrator rights. Nothing was installed." /SD IDOK
            Abort
        ${ElseIf} $0 != 0
            MessageBox MB_OK|MB_ICONSTOP "Installing ${PRODUCT} for all users failed (error $0)." /SD IDOK
            Abort
        ${EndIf}
    ${Else}
        !insertmacro INSTALL_HERE
    ${EndIf}

    ; The elevated copy may run as another account, whose own install is not the user's.
    ${If} $Mode == "AllUsers"
    ${AndIf} $ElevatedCopy = 0
        Call RemoveUserInstall
    ${EndIf}

    ${If} $BridgeUsable = 0
        DetailPrint "${PRODUCT} will not start until Windows can find ${BRIDGE}: $BridgeNote"
    ${ElseIf} $BridgeSource == ""
        DetailPrint "${PRODUCT} will load $BridgeNote"
    ${EndIf}
SectionEnd

Section "Uninstall"
    ; First, so that the clocks are back at their defaults before anything goes.
    Call un.StopTarvel
    ${If} $StopTarvelResult != "stopped"
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} did not end within 10 seconds, so the default clocks may not be restored. Choose Exit in its tray menu, then run the uninstaller again." /SD IDOK
        Abort
    ${EndIf}

    ${If} $Mode == "AllUsers"
    ${AndIf} $IsAdmin = 0
        ${If} $ElevatedCopy = 1
            DetailPrint "No administrator rights, even elevated"
            Abort
        ${EndIf}
        DetailPrint "Uninstalling for all users, with administrator rights"
        Push "/S /Elevated _?=$INSTDIR"
        Call un.RunElevatedCopy
        Pop $0
        ${If} $0 == "refused"
            MessageBox MB_OK|MB_ICONSTOP "Uninstalling ${PRODUCT} for all users needs administrator rights. Nothing was removed." /SD IDOK
            Abort
        ${ElseIf} $0 != 0
            MessageBox MB_OK|MB_ICONSTOP "Uninstalling ${PRODUCT} for all users failed (error $0)." /SD IDOK
            Abort
        ${EndIf}
    ${Else}
        Call un.RemoveHere
    ${EndIf}
SectionEnd

Function un.RemoveHere
    ; Nothing else is removed while Tarvel.exe cannot be, so that a failed run can simply
    ; be repeated.
    Delete "$INSTDIR\Tarvel.exe"
    ${If} ${FileExists} "$INSTDIR\Tarvel.exe"
        MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\Tarvel.exe is in use and could not be removed. End the program that uses it, then run the uninstaller again." /SD IDOK
        Abort
    ${EndIf}
    Delete "$INSTDIR\README.txt"
    !insertmacro REMOVE_COPIED_BRIDGE SHCTX "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegValue SHCTX "${RUN_KEY}" "${PRODUCT}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"

    Delete "$INSTDIR\Uninstall.exe"
    ; Not /r: whatever the user put there himself (a bridge, say) stays, with its folder.
    RMDir "$INSTDIR"
FunctionEnd
