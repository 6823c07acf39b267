; The notebook maker's firmware bridge ORVWmiAcpi.dll. Tarvel.exe imports it, so Windows
; starts Tarvel only where its loader finds a copy it can bind to. The installer does not
; ship it; before it writes anything it makes sure that Tarvel will find one:
;
;   - It looks where the loader looks for a program in the install folder: the folder
;     itself, the flavour's system folder, the Windows folder, the folders on PATH. The
;     first copy found counts, and it must be a library of the flavour's width exporting
;     the names Tarvel imports. BridgeCheck.exe (bridgecheck/) reads the file and judges.
;   - /Bridge=path names the maker's library: it is checked the same way and copied beside
;     Tarvel.exe. An interactive install that finds no usable bridge asks for the file on
;     a page of its own, or goes on without it once the user knows what that means.
;   - A silent install that finds none and was given none stops before it writes anything,
;     with exit status 3 (4 when the library given cannot be used), and says why (see
;     TellCaller). /NoBridge installs all the same.
;
; The uninstall entry's value BridgeCopied records a copy the installer made; the
; uninstaller removes that copy with the rest. A bridge the installer did not put beside
; Tarvel.exe is never replaced or removed, so a library given while one is there is refused.
;
; Needs LogicLib, FileFunc, nsDialogs, MUI2, InstallMode.nsh and the defines PRODUCT,
; BRIDGE, BRIDGE_WIDTH, UNINSTALL_KEY and BRIDGE_CHECK (the built BridgeCheck.exe).

!define BRIDGE_STATUS_NONE 3    ; silent, no usable bridge found and none given
!define BRIDGE_STATUS_REFUSED 4 ; silent, the library given cannot be used
!define STD_ERROR_HANDLE -12
!define ATTACH_PARENT_PROCESS -1
!define CP_UTF8 65001
!define /IfNDef GENERIC_WRITE 0x40000000
!define /IfNDef FILE_SHARE_WRITE 2
!define /IfNDef OPEN_EXISTING 3

Var BridgeGiven  ; the library given (/Bridge=, or picked on the page) as a full path, or ""
Var NoBridge     ; 1 with /NoBridge, or once the user chose to go on without
Var BridgeSource ; the library to copy beside Tarvel.exe, or ""
Var BridgeUsable ; 1 when Tarvel will find a usable bridge once installed
Var BridgeNote   ; the usable bridge's path; otherwise why there is none
Var BridgeStatus ; 0, or the exit status with which a silent install stops
Var BridgePage.Pick
Var BridgePage.File
Var BridgePage.Browse
Var BridgePage.Without

; In .onInit: /Bridge= and /NoBridge. A relative path is taken from the folder the
; installer was started in, which is the current one until something is installed.
Function ReadBridgeOptions
    Push $0
    Push $1
    ${GetParameters} $0
    StrCpy $BridgeGiven ""
    ClearErrors
    ${GetOptions} $0 "/Bridge=" $1
    ${IfNot} ${Errors}
        GetFullPathName $BridgeGiven $1
        ${If} $BridgeGiven == ""
            StrCpy $BridgeGiven $1
        ${EndIf}
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/NoBridge" $1
    ${If} ${Errors}
        StrCpy $NoBridge 0
    ${Else}
        StrCpy $NoBridge 1
    ${EndIf}
    ${If} $NoBridge = 1
    ${AndIf} $BridgeGiven != ""
        MessageBox MB_OK|MB_ICONSTOP "Give either /Bridge= or /NoBridge, not both." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd

; Runs BridgeCheck.exe. In: $0 "check" (the library $1) or "find" (what the loader finds
; for a program in the folder $1). Out: $0 1 when usable, else 0; $1 the bridge's full path
; when usable, else why not.
Function RunBridgeCheck
    Push $2
    InitPluginsDir
    ${IfNot} ${FileExists} "$PLUGINSDIR\BridgeCheck.exe"
        File "/oname=$PLUGINSDIR\BridgeCheck.exe" "${BRIDGE_CHECK}"
    ${EndIf}
    ; A backslash before the closing quote would escape it.
    StrCpy $2 $1 "" -1
    ${If} $2 == "\"
        StrCpy $1 "$1\"
    ${EndIf}
    Delete "$PLUGINSDIR\bridge.txt"
    ClearErrors
    ExecWait '"$PLUGINSDIR\BridgeCheck.exe" "$PLUGINSDIR\bridge.txt" $0 "$1"' $2
    StrCpy $1 ""
    ${IfNot} ${Errors}
        FileOpen $0 "$PLUGINSDIR\bridge.txt" r
        ${IfNot} ${Errors}
            FileReadUTF16LE $0 $1
            FileClose $0
        ${EndIf}
    ${EndIf}
    ${If} $2 == 0
    ${AndIf} $1 != ""
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
        ${If} $1 == ""
            StrCpy $1 "the installer could not check it (error $2)"
        ${EndIf}
    ${EndIf}
    Pop $2
FunctionEnd

; 1 in $0 when a bridge lies in the install folder that this installer did not copy there.
Function IsForeignBridgeBesideTarvel
    Push $1
    StrCpy $0 0
    ${If} ${FileExists} "$INSTDIR\${BRIDGE}"
        StrCpy $0 1
        ${If} $InstalledInMode == $INSTDIR
            ReadRegDWORD $1 SHCTX "${UNINSTALL_KEY}" "BridgeCopied"
            ${If} $1 = 1
                StrCpy $0 0
            ${EndIf}
        ${EndIf}
    ${EndIf}
    Pop $1
FunctionEnd

; Decides, once $INSTDIR and the mode are known, which bridge Tarvel will have: sets
; $BridgeSource, $BridgeUsable, $BridgeNote and $BridgeStatus.
Function ResolveBridge
    Push $0
    Push $1
    StrCpy $BridgeSource ""
    StrCpy $BridgeStatus 0
    ${If} $BridgeGiven != ""
        Call IsForeignBridgeBesideTarvel
        ${If} $0 = 1
            StrCpy $0 0
            StrCpy $1 "$INSTDIR\${BRIDGE} is there already, and the installer replaces no bridge it did not put beside Tarvel.exe"
        ${Else}
            StrCpy $0 "check"
            StrCpy $1 $BridgeGiven
            Call RunBridgeCheck
        ${EndIf}
        ${If} $0 = 1
            StrCpy $BridgeSource $1
        ${Else}
            StrCpy $BridgeStatus ${BRIDGE_STATUS_REFUSED}
        ${EndIf}
    ${Else}
        StrCpy $0 "find"
        StrCpy $1 $INSTDIR
        Call RunBridgeCheck
        ${If} $0 = 0
            StrCpy $BridgeStatus ${BRIDGE_STATUS_NONE}
        ${EndIf}
    ${EndIf}
    StrCpy $BridgeUsable $0
    StrCpy $BridgeNote $1
    Pop $1
    Pop $0
FunctionEnd

; A silent run has no page on which to say why it stopped. The text goes to the standard
; error that the caller gave the installer (setup.exe /S 2>why.txt), as UTF-8; without
; one, to the console the installer was started from (start /wait setup.exe /S).
; Push the text, then Call TellCaller.
Function TellCaller
    Exch $0
    Push $1
    Push $2
    Push $3
    StrCpy $0 "$0$\r$\n"
    StrCpy $3 0 ; 1 when the handle in $1 was opened here
    System::Call 'kernel32::GetStdHandle(i ${STD_ERROR_HANDLE}) p .r1'
    ${If} $1 P= 0
    ${OrIf} $1 P= -1
        StrCpy $1 0
        System::Call 'kernel32::AttachConsole(i ${ATTACH_PARENT_PROCESS}) i .r2'
        ${If} $2 <> 0
            System::Call 'kernel32::CreateFileW(w "CONOUT$$", i ${GENERIC_WRITE}, i ${FILE_SHARE_WRITE}, p 0, i ${OPEN_EXISTING}, i 0, p 0) p .r1'
            StrCpy $3 1
        ${EndIf}
    ${EndIf}
    ${If} $1 P<> 0
    ${AndIf} $1 P<> -1
        System::Call 'kernel32::GetConsoleMode(p r1, *i 0) i .r2'
        ${If} $2 <> 0
            StrLen $2 $0
            System::Call 'kernel32::WriteConsoleW(p r1, w r0, i r2, *i 0, p 0) i'
        ${Else}
            Push $4
            System::Call 'kernel32::WideCharToMultiByte(i ${CP_UTF8}, i 0, w r0, i -1, p 0, i 0, p 0, p 0) i .r2'
            System::Alloc $2
            Pop $4
            System::Call 'kernel32::WideCharToMultiByte(i ${CP_UTF8}, i 0, w r0, i -1, p r4, i r2, p 0, p 0) i'
            IntOp $2 $2 - 1 ; not the terminating zero
            System::Call 'kernel32::WriteFile(p r1, p r4, i r2, *i 0, p 0) i'
            System::Free $4
            Pop $4
        ${EndIf}
        ${If} $3 = 1
            System::Call 'kernel32::CloseHandle(p r1) i'
        ${EndIf}
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; In .onInit of a silent run: stops it, before anything is written, when Tarvel would have
; no usable bridge and /NoBridge does not say to go on.
Function StopSilentlyWithoutBridge
    Call ResolveBridge
    ${If} $BridgeStatus = ${BRIDGE_STATUS_NONE}
    ${AndIf} $NoBridge = 0
        Push "${PRODUCT} was not installed. It needs the notebook maker's firmware bridge ${BRIDGE} (${BRIDGE_WIDTH}), and $BridgeNote. Give the maker's library with /Bridge=path, or install without it with /NoBridge."
    ${ElseIf} $BridgeStatus = ${BRIDGE_STATUS_REFUSED}
        Push "${PRODUCT} was not installed. The library given with /Bridge= cannot be used: $BridgeNote."
    ${Else}
        Return
    ${EndIf}
    Call TellCaller
    SetErrorLevel $BridgeStatus
    Quit
FunctionEnd

; In the install section, before the files: the library given goes beside Tarvel.exe, and
; the uninstall entry records that the installer put it there. A record whose copy is gone
; goes too, so that a bridge the user puts there later is not taken for the installer's.
Function InstallBridgeHere
    ${If} $BridgeSource != ""
    ${AndIf} $BridgeSource != "$INSTDIR\${BRIDGE}"
        ClearErrors
        CopyFiles /SILENT /FILESONLY "$BridgeSource" "$INSTDIR\${BRIDGE}"
        ${If} ${Errors}
            MessageBox MB_OK|MB_ICONSTOP "$BridgeSource could not be copied into $INSTDIR." /SD IDOK
            Abort
        ${EndIf}
        WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "BridgeCopied" 1
        DetailPrint "Copied $BridgeSource beside Tarvel.exe"
    ${ElseIfNot} ${FileExists} "$INSTDIR\${BRIDGE}"
        DeleteRegValue SHCTX "${UNINSTALL_KEY}" "BridgeCopied"
    ${EndIf}
FunctionEnd

; For the installer's elevated copy: the decision made already, as its switch.
!macro BRIDGE_SWITCH var
    ${If} $BridgeSource != ""
        StrCpy ${var} '/Bridge="$BridgeSource"'
    ${Else}
        StrCpy ${var} "/NoBridge"
    ${EndIf}
!macroend

; Removes the bridge in folder if the uninstall entry under root records it as copied there.
!macro REMOVE_COPIED_BRIDGE root folder
    Push $9
    ReadRegDWORD $9 ${root} "${UNINSTALL_KEY}" "BridgeCopied"
    ${If} $9 = 1
        Delete "${folder}\${BRIDGE}"
    ${EndIf}
    Pop $9
!macroend

; The page shown when no usable bridge was found (or the library given cannot be used).
Function BridgePageCreate
    Call ResolveBridge
    ${If} $BridgeUsable = 1
    ${OrIf} $NoBridge = 1
        Abort
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Firmware Bridge" "${PRODUCT} cannot start without the notebook maker's ${BRIDGE}."
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${If} $BridgeStatus = ${BRIDGE_STATUS_REFUSED}
        StrCpy $0 "The library given cannot be used: $BridgeNote."
    ${Else}
        StrCpy $0 "Windows will not start ${PRODUCT} as things are: $BridgeNote."
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 54u "${PRODUCT} reaches the notebook's firmware through the maker's firmware bridge ${BRIDGE} (${BRIDGE_WIDTH}), which comes with the maker's software and is not part of this installer.$\r$\n$\r$\n$0"
    Pop $0
    ${NSD_CreateRadioButton} 0 58u 100% 12u "&Use the maker's library from this file (it is copied beside Tarvel.exe):"
    Pop $BridgePage.Pick
    ${NSD_CreateFileRequest} 12u 72u -74u 12u $BridgeGiven
    Pop $BridgePage.File
    ${NSD_CreateBrowseButton} -58u 71u 58u 14u "&Browse..."
    Pop $BridgePage.Browse
    ${NSD_CreateRadioButton} 0 94u 100% 12u "&Go on without it"
    Pop $BridgePage.Without
    ${NSD_CreateLabel} 12u 107u -12u 24u "${PRODUCT} will then not start, neither now nor at log-on, until Windows can find ${BRIDGE}: beside Tarvel.exe, in the system folder or in a folder on PATH."
    Pop $0
    ${NSD_Check} $BridgePage.Pick
    ${NSD_OnClick} $BridgePage.Browse BridgePageBrowse
    nsDialogs::Show
FunctionEnd

Function BridgePageBrowse
    Pop $0
    ${NSD_GetText} $BridgePage.File $0
    nsDialogs::SelectFileDialog open $0 "${BRIDGE}|${BRIDGE}|Libraries (*.dll)|*.dll|All files|*.*"
    Pop $0
    ${If} $0 != ""
        ${NSD_SetText} $BridgePage.File $0
        ${NSD_Check} $BridgePage.Pick
        ${NSD_Uncheck} $BridgePage.Without
    ${EndIf}
FunctionEnd

Function BridgePageLeave
    ${NSD_GetState} $BridgePage.Without $0
    ${If} $0 = ${BST_CHECKED}
        MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "${PRODUCT} will not start, neither now nor at log-on, until Windows can find ${BRIDGE}.$\r$\n$\r$\nInstall ${PRODUCT} without it?" IDOK without
        Abort
    without:
        StrCpy $NoBridge 1
        StrCpy $BridgeGiven ""
        StrCpy $BridgeSource ""
        Return
    ${EndIf}
    ${NSD_GetText} $BridgePage.File $0
    ${If} $0 == ""
        MessageBox MB_OK|MB_ICONEXCLAMATION "Choose the maker's ${BRIDGE}, or go on without it."
        Abort
    ${EndIf}
    GetFullPathName $BridgeGiven $0
    ${If} $BridgeGiven == ""
        StrCpy $BridgeGiven $0
    ${EndIf}
    Call ResolveBridge
    ${If} $BridgeUsable = 0
        MessageBox MB_OK|MB_ICONSTOP "This file cannot be used: $BridgeNote."
        Abort
    ${EndIf}
FunctionEnd
