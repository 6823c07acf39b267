; Starts the installed Tarvel as the signed-in user, never with the installer's rights.
;
; An installer for all users may run elevated, and a process it creates inherits its token:
; Tarvel would run elevated for the whole session, and after an over-the-shoulder elevation
; even as the administrator who typed his password, in the user's session. So Tarvel is
; started by the desktop shell instead: the installer asks Explorer's desktop view for the
; shell's automation object (IShellWindows::FindWindowSW with SWC_DESKTOP, then the view's
; IShellFolderViewDual::Application) and calls its IShellDispatch2::ShellExecute. Explorer
; creates the process, with Explorer's token: the user's own, not elevated. This is the way
; Microsoft's shell samples show (ExecInExplorer) for an elevated program to start an
; un-elevated one; running "explorer.exe Tarvel.exe" merely tends to work the same, and
; starts a second Explorer where Explorer is not the shell.
; Where no desktop shell answers (another shell, a session without a desktop), an installer
; without administrator rights starts Tarvel itself, since its token is the user's; an
; elevated one leaves Tarvel to the next log-on rather than start it elevated.
;
; Needs LogicLib, the variable $IsAdmin (1 when elevated) and the define PRODUCT.
; Call StartTarvel: starts $INSTDIR\Tarvel.exe.

!define CLSID_ShellWindows "{9BA05972-F6A8-11CF-A442-00A0C90A8F39}"
!define IID_IShellWindows "{85CB6900-4D95-11CF-960C-0080C7F4EE85}"
!define IID_IServiceProvider "{6D5140C1-7436-11CE-8034-00AA006009FA}"
!define SID_STopLevelBrowser "{4C96BE40-915C-11CF-99D3-00AA004AE837}"
!define IID_IShellBrowser "{000214E2-0000-0000-C000-000000000046}"
!define IID_IDispatch "{00020400-0000-0000-C000-000000000046}"
!define IID_IShellFolderViewDual "{E7A1AF80-4D96-11CF-960C-0080C7F4EE85}"
!define IID_IShellDispatch2 "{A4C6892C-3BA9-11D2-9DEA-00C04FB16162}"
!define CLSCTX_LOCAL_SERVER 4
!define SWC_DESKTOP 8
!define SWFO_NEEDDISPATCH 1
!define SVGIO_BACKGROUND 0
; Method slots in the interfaces' tables (IUnknown's three, IDispatch's four, then their own).
!define SLOT_QueryInterface 0
!define SLOT_Release 2
!define SLOT_QueryService 3
!define SLOT_get_Application 7
!define SLOT_FindWindowSW 15
!define SLOT_QueryActiveShellView 15
!define SLOT_GetItemObject 15
!define SLOT_ShellExecute 31

; IShellDispatch2::ShellExecute takes four VARIANTs by value, all left empty here (no
; arguments, the default folder, the default verb, a normal window). On x64 a VARIANT (24
; bytes) is passed as a pointer to a copy the caller made; on x86 its 16 bytes go onto the
; stack, four zero words each.
!if ${NSIS_PTR_SIZE} > 4
    !define VARIANT_SIZE 24
!else
    !define VARIANT_SIZE 16
!endif
!define /math VARIANTS_SIZE ${VARIANT_SIZE} * 5

!macro RELEASE_INTERFACE pointer
    ${If} ${pointer} P<> 0
        System::Call '${pointer}->${SLOT_Release}()'
    ${EndIf}
!macroend

; $0: Tarvel.exe's path in; out the HRESULT of the step that failed, 0 when Explorer
; started Tarvel.
Function StartTarvelThroughShell
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    Push $7
    Push $8
    Push $9
    Push $R0
    Push $R1
    Push $R2
    Push $R3
    Push $R4
    Push $R5
    Push $R6
    ; The interfaces met on the way, released at the end whichever step failed.
    StrCpy $1 0 ; IShellWindows
    StrCpy $2 0 ; the desktop's IDispatch
    StrCpy $3 0 ; IServiceProvider
    StrCpy $4 0 ; IShellBrowser
    StrCpy $5 0 ; IShellView
    StrCpy $6 0 ; the view background's IDispatch
    StrCpy $7 0 ; IShellFolderViewDual
    StrCpy $8 0 ; the shell's IDispatch
    StrCpy $9 0 ; IShellDispatch2

    ; Zeroed, hence empty, VARIANTs: FindWindowSW's two location arguments share the first
    ; (it only reads them); on x64 ShellExecute gets the other four, one copy each, since
    ; a callee owns the copies of by-value arguments.
    System::Alloc ${VARIANTS_SIZE}
    Pop $R1

    System::Call 'ole32::CoCreateInstance(g "${CLSID_ShellWindows}", p 0, i ${CLSCTX_LOCAL_SERVER}, g "${IID_IShellWindows}", *p .r1) i .R0'
    ; S_FALSE, no desktop window, counts as a failure too.
    ${If} $R0 = 0
        System::Call '$1->${SLOT_FindWindowSW}(p R1, p R1, i ${SWC_DESKTOP}, *i .R2, i ${SWFO_NEEDDISPATCH}, *p .r2) i .R0'
    ${EndIf}
    ${If} $R0 = 0
        System::Call '$2->${SLOT_QueryInterface}(g "${IID_IServiceProvider}", *p .r3) i .R0'
    ${EndIf}
    ${If} $R0 = 0
        System::Call '$3->${SLOT_QueryService}(g "${SID_STopLevelBrowser}", g "${IID_IShellBrowser}", *p .r4) i .R0'
    ${EndIf}
    ${If} $R0 = 0
        System::Call '$4->${SLOT_QueryActiveShellView}(*p .r5) i .R0'
    ${EndIf}
    ${If} $R0 = 0
        System::Call '$5->${SLOT_GetItemObject}(i ${SVGIO_BACKGROUND}, g "${IID_IDispatch}", *p .r6) i .R0'
    ${EndIf}
    ${If} $R0 = 0
        System::Call '$6->${SLOT_QueryInterface}(g "${IID_IShellFolderViewDual}", *p .r7) i .R0'
    ${EndIf}
    ${If} $R0 = 0
        System::Call '$7->${SLOT_get_Application}(*p .r8) i .R0'
    ${EndIf}
    ${If} $R0 = 0
        System::Call '$8->${SLOT_QueryInterface}(g "${IID_IShellDispatch2}", *p .r9) i .R0'
    ${EndIf}
    ${If} $R0 = 0
        ; The call may cross into Explorer's process: the file name must be a real BSTR.
        System::Call 'oleaut32::SysAllocString(w r0) p .R2'
        !if ${NSIS_PTR_SIZE} > 4
            IntPtrOp $R3 $R1 + ${VARIANT_SIZE}
            IntPtrOp $R4 $R3 + ${VARIANT_SIZE}
            IntPtrOp $R5 $R4 + ${VARIANT_SIZE}
            IntPtrOp $R6 $R5 + ${VARIANT_SIZE}
            System::Call '$9->${SLOT_ShellExecute}(p R2, p R3, p R4, p R5, p R6) i .R0'
        !else
            System::Call '$9->${SLOT_ShellExecute}(p R2, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0) i .R0'
        !endif
        System::Call 'oleaut32::SysFreeString(p R2)'
    ${EndIf}
    StrCpy $0 $R0

    !insertmacro RELEASE_INTERFACE $9
    !insertmacro RELEASE_INTERFACE $8
    !insertmacro RELEASE_INTERFACE $7
    !insertmacro RELEASE_INTERFACE $6
    !insertmacro RELEASE_INTERFACE $5
    !insertmacro RELEASE_INTERFACE $4
    !insertmacro RELEASE_INTERFACE $3
    !insertmacro RELEASE_INTERFACE $2
    !insertmacro RELEASE_INTERFACE $1
    System::Free $R1
    Pop $R6
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R2
    Pop $R1
    Pop $R0
    Pop $9
    Pop $8
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
FunctionEnd

Function StartTarvel
    Push $0
    StrCpy $0 "$INSTDIR\Tarvel.exe"
    Call StartTarvelThroughShell
    ${If} $0 = 0
        DetailPrint "Started ${PRODUCT} through the desktop shell"
    ${ElseIf} $IsAdmin = 1
        DetailPrint "No desktop shell to start ${PRODUCT} (error $0); it starts at the next log-on"
        MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT} could not be started for you now. It starts at your next log-on, or start it from the Start menu." /SD IDOK
    ${Else}
        DetailPrint "No desktop shell to start ${PRODUCT} (error $0); starting it directly"
        Exec '"$INSTDIR\Tarvel.exe"'
    ${EndIf}
    Pop $0
FunctionEnd
