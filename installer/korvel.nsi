; The Windows setup of Korvel: per user and without administrator rights, in Simplified Chinese.
; Built by scripts/windows-package.sh, which defines:
;   VERSION        the program's version, e.g. 1.0
;   VERSION_NUMBERS  the same as four numbers, e.g. 1.0.0.0
;   PACKAGE_DIR    the portable folder the setup installs (korvel.exe, help.chm, DLLs, plugins)
;   FILE_LISTS     a folder with install-files.nsh and uninstall-files.nsh, the lines that
;                  install and remove exactly the files of PACKAGE_DIR
;   INSTALLED_KB   the size of PACKAGE_DIR in KiB, for "Apps & features"
;   ICON           the program's icon
;   OUTFILE        the setup to write
;
; Command line: /S silent, /D=folder (last, unquoted) the install folder, /KEYFILE=path a key
; file to copy beside korvel.exe, /DESKTOP a desktop shortcut as well.

; A 64-bit setup for a 64-bit program (and wine64 runs it).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Korvel 文件加密"
!define PUBLISHER "Korvel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvel"
!define SHORTCUT "Korvel 文件加密.lnk"
!define MENU_FOLDER "$SMPROGRAMS\Korvel 文件加密"
!define UNINSTALLER "uninstall.exe"
!define KEY_FILE "uae"
!define CLASSES "Software\Classes"
!define AGE_FILE_CLASS "Korvel.AgeFile"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} 安装"
UninstallCaption "${PRODUCT} 卸载"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Korvel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "版权所有 © 2026 Korvel"

Var KeyFileSource      ; the key file the user chose; empty: none
Var KeyFileBox
Var UninstallFinishText

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "wizard.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "wizard.bmp"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "确实要退出 ${PRODUCT} 安装程序吗？"

!define MUI_WELCOMEPAGE_TEXT "本向导将在当前用户的账户中安装 ${PRODUCT} ${VERSION}，不需要管理员权限。$\r$\n$\r$\n安装时可以选择已有的密钥文件 uae；安装程序不会生成密钥文件。$\r$\n$\r$\n单击“下一步”继续。"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom KeyFilePageShow KeyFilePageLeave
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\korvel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "启动 ${PRODUCT}"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} 已安装到 $INSTDIR。$\r$\n$\r$\n可以从“开始”菜单启动它，也可以在资源管理器中右键单击文件，选择“发送到” → “Korvel 文件加密”。"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "将从计算机中删除 ${PRODUCT} 的程序文件、快捷方式和“发送到”菜单项。程序文件夹中的密钥文件 uae 不会被删除。"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$UninstallFinishText"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "SimpChinese"

; ---- The key-file page: copies an existing key file beside korvel.exe, or keeps the one there.

Function KeyFilePageShow
    !insertmacro MUI_HEADER_TEXT "密钥文件" "选择加密和解密时使用的密钥文件 uae。"
    nsDialogs::Create 1018
    Pop $0
    ${If} ${FileExists} "$INSTDIR\${KEY_FILE}"
        ${NSD_CreateLabel} 0 0 100% 60u "程序文件夹中已有密钥文件：$\r$\n$INSTDIR\${KEY_FILE}$\r$\n$\r$\n安装时将保留这个密钥文件，不会替换或删除它。"
        Pop $0
        StrCpy $KeyFileSource ""
        nsDialogs::Show
        Return
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 40u "加密和解密都需要密钥文件 uae。请选择已有的密钥文件，安装程序会把它复制到程序文件夹中，与 korvel.exe 放在一起。原文件保持不变。"
    Pop $0
    ${NSD_CreateText} 0 46u -60u 13u "$KeyFileSource"
    Pop $KeyFileBox
    ${NSD_CreateBrowseButton} -55u 45u 55u 15u "浏览(&R)..."
    Pop $0
    ${NSD_OnClick} $0 KeyFileBrowse
    ${NSD_CreateLabel} 0 70u 100% 60u "也可以不选择，直接单击“下一步”。以后请把 uae 复制到程序文件夹中；没有密钥文件时程序会提示。$\r$\n$\r$\n安装程序不会生成密钥文件。加密和解密必须使用同一个 uae 文件，请妥善保管。"
    Pop $0
    nsDialogs::Show
FunctionEnd

Function KeyFileBrowse
    ${NSD_GetText} $KeyFileBox $0
    nsDialogs::SelectFileDialog open "$0" "密钥文件 (uae)|uae|所有文件 (*.*)|*.*"
    Pop $0
    ${If} $0 != ""
        ${NSD_SetText} $KeyFileBox $0
    ${EndIf}
FunctionEnd

Function KeyFilePageLeave
    ${If} ${FileExists} "$INSTDIR\${KEY_FILE}"
        Return
    ${EndIf}
    ${NSD_GetText} $KeyFileBox $KeyFileSource
    ${If} $KeyFileSource == ""
        Return
    ${EndIf}
    ${If} ${FileExists} "$KeyFileSource\*.*"
    ${OrIfNot} ${FileExists} "$KeyFileSource"
        MessageBox MB_ICONEXCLAMATION|MB_OK "找不到密钥文件：$\r$\n$KeyFileSource$\r$\n$\r$\n请选择一个已有的文件，或者清空文本框以跳过这一步。"
        Abort
    ${EndIf}
FunctionEnd

; ---- Installing

Section "Korvel 文件加密（必需）" SectionProgram
    SectionIn RO
    SetShellVarContext current
    ; An earlier installation goes first, so that no file of it stays behind unlisted; its
    ; uninstaller keeps the key file.
    ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
        DetailPrint "删除旧版本的文件……"
        InitPluginsDir
        CopyFiles /SILENT "$INSTDIR\${UNINSTALLER}" "$PLUGINSDIR\old-${UNINSTALLER}"
        ExecWait '"$PLUGINSDIR\old-${UNINSTALLER}" /S _?=$INSTDIR'
    ${EndIf}

    !include "${FILE_LISTS}/install-files.nsh"
    SetOutPath "$INSTDIR"
    Call InstallKeyFile
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\${SHORTCUT}" "$INSTDIR\korvel.exe" "" "$INSTDIR\korvel.exe" 0 \
        SW_SHOWNORMAL "" "用密码和密钥文件加密、解密单个文件"
    CreateShortcut "${MENU_FOLDER}\使用说明.lnk" "$INSTDIR\help.chm"
    ; Explorer's "Send to" hands the chosen file to the program as its argument.
    CreateShortcut "$SENDTO\${SHORTCUT}" "$INSTDIR\korvel.exe" "" "$INSTDIR\korvel.exe" 0

    Call AssociateAgeFiles

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\korvel.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${INSTALLED_KB}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "桌面快捷方式" SectionDesktop
    SetShellVarContext current
    CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\korvel.exe" "" "$INSTDIR\korvel.exe" 0
SectionEnd

Function InstallKeyFile
    ${If} ${FileExists} "$INSTDIR\${KEY_FILE}"
        DetailPrint "保留已有的密钥文件：$INSTDIR\${KEY_FILE}"
        Return
    ${EndIf}
    ${If} $KeyFileSource == ""
        DetailPrint "没有选择密钥文件。请以后把 uae 复制到 $INSTDIR 中。"
        Return
    ${EndIf}
    ClearErrors
    CopyFiles /SILENT /FILESONLY "$KeyFileSource" "$INSTDIR\${KEY_FILE}"
    ${If} ${Errors}
    ${OrIfNot} ${FileExists} "$INSTDIR\${KEY_FILE}"
        MessageBox MB_ICONEXCLAMATION|MB_OK "无法复制密钥文件：$\r$\n$KeyFileSource$\r$\n$\r$\n请以后手动把它复制到 $INSTDIR 中，并命名为 uae。" /SD IDOK
        Return
    ${EndIf}
    DetailPrint "已复制密钥文件：$INSTDIR\${KEY_FILE}"
FunctionEnd

; A double-click on a .age file opens it in the decrypt window (or hands it to the copy that runs).
Function AssociateAgeFiles
    WriteRegStr HKCU "${CLASSES}\.age" "" "${AGE_FILE_CLASS}"
    WriteRegStr HKCU "${CLASSES}\${AGE_FILE_CLASS}" "" "age 加密文件"
    WriteRegStr HKCU "${CLASSES}\${AGE_FILE_CLASS}\DefaultIcon" "" "$INSTDIR\korvel.exe,0"
    WriteRegStr HKCU "${CLASSES}\${AGE_FILE_CLASS}\shell\open\command" "" '"$INSTDIR\korvel.exe" "%1"'
    ; SHCNE_ASSOCCHANGED: Explorer shows the new icon without a new logon.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
FunctionEnd

; After the sections, whose names it uses.
Function .onInit
    SetShellVarContext current
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/KEYFILE=" $KeyFileSource
    ${If} ${Errors}
        StrCpy $KeyFileSource ""
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/DESKTOP" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${SectionDesktop} ${SF_SELECTED}
    ${EndIf}
FunctionEnd

; ---- Uninstalling: everything the setup made, except the key file

Function un.onInit
    SetShellVarContext current
FunctionEnd

; .age is left to whatever program took it over since; only our own class goes in any case.
Function un.RemoveAgeFileAssociation
    ReadRegStr $0 HKCU "${CLASSES}\.age" ""
    ${If} $0 == "${AGE_FILE_CLASS}"
        DeleteRegValue HKCU "${CLASSES}\.age" ""
        DeleteRegKey /ifempty HKCU "${CLASSES}\.age"
    ${EndIf}
    DeleteRegKey HKCU "${CLASSES}\${AGE_FILE_CLASS}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    !include "${FILE_LISTS}/uninstall-files.nsh"
    Delete "$INSTDIR\${UNINSTALLER}"

    Delete "${MENU_FOLDER}\${SHORTCUT}"
    Delete "${MENU_FOLDER}\使用说明.lnk"
    RMDir "${MENU_FOLDER}"
    Delete "$SENDTO\${SHORTCUT}"
    Delete "$DESKTOP\${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Call un.RemoveAgeFileAssociation

    ; Never removed: without it the user's ciphertexts could not be decrypted again.
    ${If} ${FileExists} "$INSTDIR\${KEY_FILE}"
        StrCpy $UninstallFinishText "${PRODUCT} 已从计算机中删除。$\r$\n$\r$\n密钥文件 uae 没有删除，仍保存在：$\r$\n$INSTDIR\${KEY_FILE}$\r$\n$\r$\n解密用它加密的文件时还需要它，请妥善保管。不再需要时可以自行删除。"
        DetailPrint "密钥文件保留在：$INSTDIR\${KEY_FILE}"
    ${Else}
        StrCpy $UninstallFinishText "${PRODUCT} 已从计算机中删除。"
        RMDir "$INSTDIR"
    ${EndIf}
SectionEnd
