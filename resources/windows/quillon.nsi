; The installer of Quillon for Windows: per machine, into Program Files, with Start-menu entries
; (the window, quillon.exe, and a command prompt in which quillon-cli runs), an optional desktop
; shortcut, an offered opening of .hex and .pda files with quillon.exe for the person installing,
; and an uninstaller.
; makensis -DVERSION=x.y.z -DSTAGE=folder -DOUTFILE=setup.exe [-DWINDOW] quillon.nsi
; WINDOW: the stage holds quillon.exe, the window.
Unicode true
Name "Quillon ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Quillon"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; The window's own icon, from the folder beside this script.
Icon "icons\quillon.ico"
UninstallIcon "icons\quillon.ico"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
!define CLASSES "Software\Classes"
; The shell's notice that file types changed (SHCNE_ASSOCCHANGED), so that Explorer shows the
; icons at once.
!define NOTIFY_SHELL "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The keys quillon.exe's own "Register" entries write for the person, with the program's icon
; number 2 (firmware file) or 3 (PDA file); ".pda" files can also be edited in Notepad.
!macro RegisterFileType EXT ICON
    WriteRegStr HKCU "${CLASSES}\${EXT}" "" "PRISM${EXT}"
    WriteRegStr HKCU "${CLASSES}\PRISM${EXT}" "" "PRISM firmware update (${EXT})"
    WriteRegStr HKCU "${CLASSES}\PRISM${EXT}\DefaultIcon" "" "$INSTDIR\quillon.exe,${ICON}"
    !if "${EXT}" == ".pda"
        WriteRegStr HKCU "${CLASSES}\PRISM${EXT}\shell\edit" "" "&Edit"
        WriteRegStr HKCU "${CLASSES}\PRISM${EXT}\shell\edit\command" "" 'notepad "%1"'
    !endif
    WriteRegStr HKCU "${CLASSES}\PRISM${EXT}\shell\open" "" "Launch &Quillon"
    WriteRegStr HKCU "${CLASSES}\PRISM${EXT}\shell\open\command" "" '$INSTDIR\quillon.exe "%1"'
!macroend

; Removes the type only while it still opens this installation's quillon.exe: another program
; (or another copy of Quillon) that took the type over keeps it.
!macro UnregisterFileType EXT
    ReadRegStr $0 HKCU "${CLASSES}\PRISM${EXT}\shell\open\command" ""
    StrCmp $0 '$INSTDIR\quillon.exe "%1"' 0 unregister_skip${EXT}
        DeleteRegKey HKCU "${CLASSES}\PRISM${EXT}"
        ReadRegStr $0 HKCU "${CLASSES}\${EXT}" ""
        StrCmp $0 "PRISM${EXT}" 0 unregister_skip${EXT}
            DeleteRegValue HKCU "${CLASSES}\${EXT}" ""
            DeleteRegKey /ifempty HKCU "${CLASSES}\${EXT}"
    unregister_skip${EXT}:
!macroend

Section "Quillon (required)" SectionProgram
    SectionIn RO
    SetShellVarContext all
    SetOutPath "$INSTDIR"
!ifdef WINDOW
    File "${STAGE}\quillon.exe"
!endif
    File "${STAGE}\quillon-cli.exe"
    File "${STAGE}\README-Windows.txt"
    File "${STAGE}\copyright.txt"
    File "${STAGE}\changelog.txt"
    SetOutPath "$INSTDIR\samples"
    File "${STAGE}\samples\*.*"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateDirectory "$SMPROGRAMS\Quillon"
!ifdef WINDOW
    CreateShortCut "$SMPROGRAMS\Quillon\Quillon.lnk" "$INSTDIR\quillon.exe" "" \
        "$INSTDIR\quillon.exe" 0 SW_SHOWNORMAL "" "Update the flash of a PRISM wireless card"
!endif
    CreateShortCut "$SMPROGRAMS\Quillon\Quillon command prompt.lnk" "$SYSDIR\cmd.exe" \
        '/k "cd /d "$INSTDIR" && quillon-cli --help"' "" 0 SW_SHOWNORMAL "" \
        "A command prompt in which quillon-cli runs"
    CreateShortCut "$SMPROGRAMS\Quillon\Read me.lnk" "$INSTDIR\README-Windows.txt"
    CreateShortCut "$SMPROGRAMS\Quillon\Uninstall Quillon.lnk" "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quillon ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

!ifdef WINDOW
Section /o "Desktop shortcut" SectionDesktop
    SetShellVarContext all
    CreateShortCut "$DESKTOP\Quillon.lnk" "$INSTDIR\quillon.exe" "" "$INSTDIR\quillon.exe" 0 \
        SW_SHOWNORMAL "" "Update the flash of a PRISM wireless card"
SectionEnd

Section "Open .hex and .pda files with Quillon" SectionFileTypes
    !insertmacro RegisterFileType ".hex" 2
    !insertmacro RegisterFileType ".pda" 3
    ${NOTIFY_SHELL}
SectionEnd
!endif

Section "Uninstall"
    SetShellVarContext all
!ifdef WINDOW
    !insertmacro UnregisterFileType ".hex"
    !insertmacro UnregisterFileType ".pda"
    ${NOTIFY_SHELL}
    Delete "$DESKTOP\Quillon.lnk"
    Delete "$SMPROGRAMS\Quillon\Quillon.lnk"
    Delete "$INSTDIR\quillon.exe"
!endif
    Delete "$SMPROGRAMS\Quillon\Quillon command prompt.lnk"
    Delete "$SMPROGRAMS\Quillon\Read me.lnk"
    Delete "$SMPROGRAMS\Quillon\Uninstall Quillon.lnk"
    RMDir "$SMPROGRAMS\Quillon"
    Delete "$INSTDIR\samples\*.*"
    RMDir "$INSTDIR\samples"
    Delete "$INSTDIR\quillon-cli.exe"
    Delete "$INSTDIR\README-Windows.txt"
    Delete "$INSTDIR\copyright.txt"
    Delete "$INSTDIR\changelog.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
