; Ends a running Tarvel the way its user would: through the tray menu's Exit command.
; Only that way restores the GPU's default clocks and clears the overclock bit in the
; firmware; ending the process would leave the notebook overclocked. So Tarvel is never
; killed: when it does not end in time, the caller gives up and says so.
;
; Needs LogicLib and the defines ID_TRAY_EXIT and MAIN_WINDOW_CAPTION.
; Call [un.]StopTarvel, then read $StopTarvelResult: "stopped" (also when none ran) or
; "running".

!define STOP_TARVEL_WAIT_MS 10000
!define SYNCHRONIZE 0x00100000
!define WAIT_OBJECT_0 0

Var StopTarvelResult

!macro DEFINE_STOP_TARVEL prefix
Function ${prefix}StopTarvel
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    ; The main window is a hidden dialog, found by its class and caption.
    FindWindow $0 "#32770" "${MAIN_WINDOW_CAPTION}"
    ${If} $0 = 0
        StrCpy $3 "stopped"
        Goto done
    ${EndIf}

    ; Taken before the command, so that the process cannot end and its id be reused in
    ; between.
    StrCpy $1 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    DetailPrint "Ending the running Tarvel through its Exit command"
    System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${ID_TRAY_EXIT}, p 0) i'

    ; The process must be gone, not just its window: until then Tarvel.exe is in use.
    ${If} $2 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r2, i ${STOP_TARVEL_WAIT_MS}) i .r3'
        System::Call 'kernel32::CloseHandle(p r2)'
        ${If} $3 = ${WAIT_OBJECT_0}
            StrCpy $3 "stopped"
        ${Else}
            StrCpy $3 "running"
        ${EndIf}
    ${Else}
        ; No access to the process: watch its window instead.
        StrCpy $3 "running"
        StrCpy $1 0
        ${Do}
            Sleep 100
            IntOp $1 $1 + 100
            System::Call 'user32::IsWindow(p r0) i .r4'
            ${If} $4 = 0
                StrCpy $3 "stopped"
                ${Break}
            ${EndIf}
        ${LoopWhile} $1 < ${STOP_TARVEL_WAIT_MS}
    ${EndIf}

done:
    StrCpy $StopTarvelResult $3
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
