; For whom Tarvel is installed, and the rights each choice takes.
;
;   current user: no administrator rights. Tarvel.exe in the user's own programs folder
;                 (%LOCALAPPDATA%\Programs\Tarvel); the log-on value and the uninstall key
;                 under HKCU; the shortcut in the user's Start menu.
;   all users:    administrator rights. Tarvel.exe in Program Files; the log-on value and
;                 the uninstall key under HKLM; the shortcut in the Start menu of all users.
;
; The installer asks for no elevation when it starts (RequestExecutionLevel user): a
; current-user install must run with the user's own token, or it would write the HKCU of
; whichever administrator typed his password into the elevation prompt. For all users, a
; run without administrator rights starts an elevated copy of itself (the "runas" verb,
; hence the elevation prompt) for the machine-wide part alone, and waits for it. What
; belongs to the signed-in user stays with the un-elevated run: ending the running Tarvel,
; removing the user's own install that the machine-wide one replaces, starting Tarvel.
;
; Switches: /CurrentUser, /AllUsers; without either, the mode Tarvel is installed in
; already, else the current user. /Elevated marks the elevated copy (not for users).
;
; The 32-bit installer keeps to the 32-bit registry view (SetRegView 32): on 64-bit
; Windows its HKLM values live under WOW6432Node, where Windows also looks for a 32-bit
; program's log-on values and uninstall entries. HKCU's Run and Uninstall keys are the same
; in both views.
;
; Needs LogicLib, FileFunc, nsDialogs, MUI2 and the defines PRODUCT, PROGRAM_FILES,
; UNINSTALL_KEY.

!define SEE_MASK_NOCLOSEPROCESS 0x40
!define SEE_MASK_NOASYNC 0x100
!define /math SEE_MASK_WAIT_FOR_PROCESS ${SEE_MASK_NOCLOSEPROCESS} | ${SEE_MASK_NOASYNC}
!define /IfNDef INFINITE 0xFFFFFFFF
; SHELLEXECUTEINFOW as System's structures lay it out: packed, so x64's alignment gaps (after
; nShow and after dwHotKey) are written out; hProcess is the last member.
!if ${NSIS_PTR_SIZE} > 4
    !define SEI_GAP "i 0,"
    !define SEI_HPROCESS_OFFSET 104
!else
    !define SEI_GAP ""
    !define SEI_HPROCESS_OFFSET 56
!endif
!define FOLDERID_UserProgramFiles {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}

Var Mode                 ; "CurrentUser" or "AllUsers"
Var IsAdmin              ; 1 when this process holds administrator rights (on Vista and
                         ; later with UAC: when it is elevated)
Var ElevatedCopy         ; 1 in the copy that an un-elevated run started elevated

; Both the installer and the uninstaller: $IsAdmin and $ElevatedCopy.
!macro READ_RIGHTS
    Push $0
    Push $1
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        StrCpy $IsAdmin 1
    ${Else}
        StrCpy $IsAdmin 0
    ${EndIf}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/Elevated" $1
    ${If} ${Errors}
        StrCpy $ElevatedCopy 0
    ${Else}
        StrCpy $ElevatedCopy 1
    ${EndIf}
    Pop $1
    Pop $0
!macroend

; Runs this program once more, elevated, with the parameters on the stack, and waits for
; it. Leaves its exit code on the stack, or "refused" when it did not start (the user
; declined the elevation prompt, or there is no administrator to give it).
!macro DEFINE_RUN_ELEVATED_COPY prefix
Function ${prefix}RunElevatedCopy
    Exch $0
    Push $1
    Push $2
    Push $3
    StrCpy $2 $EXEPATH
    System::Call '*(&l4, i ${SEE_MASK_WAIT_FOR_PROCESS}, p $HWNDPARENT, w "runas", w r2, w r0, p 0, i ${SW_SHOWNORMAL}, ${SEI_GAP} p 0, p 0, p 0, p 0, i 0, ${SEI_GAP} p 0, p 0) p .r1'
    System::Call 'shell32::ShellExecuteExW(p r1) i .r2'
    StrCpy $0 "refused"
    ${If} $2 <> 0
        IntPtrOp $3 $1 + ${SEI_HPROCESS_OFFSET}
        System::Call '*$3(p .r3)'
        ${If} $3 P<> 0
            System::Call 'kernel32::WaitForSingleObject(p r3, i ${INFINITE}) i'
            System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r0) i'
            System::Call 'kernel32::CloseHandle(p r3) i'
        ${EndIf}
    ${EndIf}
    System::Free $1
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend

; The installer's side ---------------------------------------------------------------------

Var InstalledForAllUsers ; install folder of the all-users Tarvel, or ""
Var InstalledForUser     ; install folder of the current user's own Tarvel, or ""
Var InstalledInMode      ; the one of the two that the chosen mode updates in place
Var DirFromCommandLine   ; /D=
Var ModePage.CurrentUser
Var ModePage.AllUsers

; In .onInit, after SetRegView: what is installed, and the mode the switches ask for.
Function ReadInstallMode
    Push $0
    Push $1
    Push $2
    StrCpy $DirFromCommandLine $INSTDIR
    ReadRegStr $InstalledForAllUsers HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $InstalledForUser HKCU "${UNINSTALL_KEY}" "InstallLocation"

    ; Installing again updates what is there.
    ${If} $InstalledForAllUsers != ""
        StrCpy $Mode "AllUsers"
    ${Else}
        StrCpy $Mode "CurrentUser"
    ${EndIf}

    ${GetParameters} $0
    StrCpy $2 ""
    ClearErrors
    ${GetOptions} $0 "/CurrentUser" $1
    ${IfNot} ${Errors}
        StrCpy $2 "CurrentUser"
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/AllUsers" $1
    ${IfNot} ${Errors}
        ${If} $2 != ""
            MessageBox MB_OK|MB_ICONSTOP "Give either /CurrentUser or /AllUsers, not both." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
        StrCpy $2 "AllUsers"
    ${EndIf}
    ${If} $2 != ""
        StrCpy $Mode $2
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; Sets the error flag when the chosen mode cannot be installed. Two installs would mean two
; log-on values, and a current-user run has no rights over the all-users one; the other
; way round, the all-users install replaces the user's own (RemoveUserInstall).
Function CheckInstallMode
    ClearErrors
    ${If} $Mode == "CurrentUser"
    ${AndIf} $InstalledForAllUsers != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is already installed for all users of this computer, in $InstalledForAllUsers.$\r$\n$\r$\nTo update it, install for all users. To have ${PRODUCT} for yourself alone, first uninstall it (that needs administrator rights)." /SD IDOK
        SetErrors
    ${EndIf}
FunctionEnd

; The shell folders, HKCU or HKLM (SHCTX), and $INSTDIR of the chosen mode: an installed
; Tarvel is updated where it is; otherwise /D=, or the mode's own folder.
Function ApplyInstallMode
    Push $0
    ${If} $Mode == "AllUsers"
        SetShellVarContext all
        StrCpy $InstalledInMode $InstalledForAllUsers
        StrCpy $0 "${PROGRAM_FILES}"
    ${Else}
        SetShellVarContext current
        StrCpy $InstalledInMode $InstalledForUser
        GetKnownFolderPath $0 ${FOLDERID_UserProgramFiles}
        ${If} $0 == ""
            ; Vista has no such known folder; 7 and later put it here.
            StrCpy $0 "$LOCALAPPDATA\Programs"
        ${EndIf}
    ${EndIf}
    ${If} $InstalledInMode != ""
        StrCpy $INSTDIR $InstalledInMode
    ${ElseIf} $DirFromCommandLine != ""
        StrCpy $INSTDIR $DirFromCommandLine
    ${Else}
        StrCpy $INSTDIR "$0\${PRODUCT}"
    ${EndIf}
    Pop $0
FunctionEnd

; The page that asks; the current user is preselected unless Tarvel is installed for all.
Function ModePageCreate
    !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom ${PRODUCT} is installed."
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 20u "${PRODUCT} starts at log-on and gets a shortcut in the Start menu. Install it for:"
    Pop $0
    System::Call 'advapi32::GetUserNameW(w .r1, *i ${NSIS_MAX_STRLEN}) i'
    ${NSD_CreateRadioButton} 10u 26u -10u 12u "Only &me ($1)"
    Pop $ModePage.CurrentUser
    ${NSD_CreateLabel} 23u 39u -23u 18u "Into your own programs folder and Start menu. No administrator rights needed."
    Pop $0
    ${NSD_CreateRadioButton} 10u 62u -10u 12u "&Anyone who uses this computer (all users)"
    Pop $ModePage.AllUsers
    ${NSD_CreateLabel} 23u 75u -23u 18u "Into Program Files and the Start menu of all users. Needs administrator rights."
    Pop $0
    ${If} $Mode == "AllUsers"
        ${NSD_Check} $ModePage.AllUsers
    ${Else}
        ${NSD_Check} $ModePage.CurrentUser
    ${EndIf}
    ${NSD_OnClick} $ModePage.CurrentUser ModePageClicked
    ${NSD_OnClick} $ModePage.AllUsers ModePageClicked
    Call ShowElevationShield
    nsDialogs::Show
FunctionEnd

Function ModePageClicked
    Pop $0
    Call ShowElevationShield
FunctionEnd

; Windows marks a button that leads to the elevation prompt with the shield. The shield
; stays on the Install button of the pages that follow, which is where the prompt comes.
Function ShowElevationShield
    Push $0
    Push $1
    ${NSD_GetState} $ModePage.AllUsers $0
    ${If} $0 = ${BST_CHECKED}
    ${AndIf} $IsAdmin = 0
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    GetDlgItem $1 $HWNDPARENT 1
    SendMessage $1 ${BCM_SETSHIELD} 0 $0
    Pop $1
    Pop $0
FunctionEnd

Function HideElevationShield
    Push $0
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${BCM_SETSHIELD} 0 0
    Pop $0
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $ModePage.AllUsers $0
    ${If} $0 = ${BST_CHECKED}
        StrCpy $Mode "AllUsers"
    ${Else}
        StrCpy $Mode "CurrentUser"
    ${EndIf}
    Call CheckInstallMode
    ${If} ${Errors}
        Abort
    ${EndIf}
    Call ApplyInstallMode
FunctionEnd

; An update goes where the installed Tarvel is: no folder to choose.
Function DirectoryPagePre
    ${If} $InstalledInMode != ""
        Abort
    ${EndIf}
FunctionEnd
