; The installer of Quillon for Windows: per machine, into Program Files, with a Start-menu
; entry that opens a command prompt in which quillon-cli runs, and an uninstaller.
; makensis -DVERSION=x.y.z -DSTAGE=folder -DOUTFILE=setup.exe quillon.nsi
Unicode true
Name "Quillon ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Quillon"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Quillon"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${STAGE}\quillon-cli.exe"
    File "${STAGE}\README-Windows.txt"
    File "${STAGE}\copyright.txt"
    File "${STAGE}\changelog.txt"
    SetOutPath "$INSTDIR\samples"
    File "${STAGE}\samples\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateDirectory "$SMPROGRAMS\Quillon"
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

Section "Uninstall"
    SetShellVarContext all
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
