; The Windows installer, built by makensis from cmake/WindowsInstaller.cmake,
; which defines VERSION, VST2_DLL, CLAP_FILE, APP_EXE, LICENSE_FILE, OUT_FILE
; and, when the build has one, VST3_BUNDLE.
;
; A 64-bit installer for 64-bit hosts: the folders and the registry view are
; the 64-bit ones. The VST3 bundle and the CLAP go where hosts look for them,
; the VST2 DLL into the folder the user picks (/D= on the command line); the
; application, the uninstaller and the licence into a folder of the maker's,
; with the application's shortcut in every user's Start menu. The uninstaller
; removes what this installed, by name, and of the plug-in folders only those
; this created, once they are empty.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Quenchbox RZ"
!define PUBLISHER "ZUK"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuenchboxRZ"
!define MAKER_FOLDER "$PROGRAMFILES64\${PUBLISHER}"
!define PROGRAM_FOLDER "${MAKER_FOLDER}\${PRODUCT}"
!define CLAP_FOLDER "$COMMONFILES64\CLAP"
!define VST3_FOLDER "$COMMONFILES64\VST3"
!define APP_NAME "Quenchbox RZ.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
RequestExecutionLevel admin
; The VST2 folder: the one of the last install, else the common default.
InstallDir "$PROGRAMFILES64\VSTPlugins"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "VST2Folder"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!ifdef VST3_BUNDLE
  !define VST3_LINE "VST3:$\t${VST3_FOLDER}\QuenchboxRZ.vst3$\r$\n"
!else
  !define VST3_LINE ""
!endif
!define MUI_WELCOMEPAGE_TITLE "${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "This installs the ${PRODUCT} guitar distortion for 64-bit hosts:$\r$\n$\r$\n\
${VST3_LINE}\
CLAP:$\t${CLAP_FOLDER}\QuenchboxRZ.clap$\r$\n\
VST2:$\tQuenchboxRZ.dll in a folder you choose next$\r$\n\
App:$\t${PROGRAM_FOLDER}\${APP_NAME}, in the Start menu$\r$\n$\r$\n\
Hosts find the VST3 and CLAP plug-ins there by themselves. For VST2, pick the folder your host scans, \
or add the folder to the host's plug-in paths.$\r$\n$\r$\n\
The uninstaller is in ${PROGRAM_FOLDER} and in Windows' list of installed apps."
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "The VST2 plug-in QuenchboxRZ.dll goes into this folder; choose the one your host scans \
for VST2 plug-ins. The VST3 and CLAP plug-ins always go into the common folders under $COMMONFILES64."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST2 plug-in folder"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Notes in the uninstall key that this install created a folder, so that the
; uninstaller removes it again once empty.
!macro RememberNewFolder folder value
  ${IfNot} ${FileExists} "${folder}\*.*"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${value}" 1
  ${EndIf}
!macroend

!macro RemoveFolderIfCreated folder value
  ReadRegDWORD $R0 HKLM "${UNINSTALL_KEY}" "${value}"
  ${If} $R0 = 1
    RMDir "${folder}"
  ${EndIf}
  DeleteRegValue HKLM "${UNINSTALL_KEY}" "${value}"
!macroend

; The Start menu's shortcut is every user's, as the install is.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}" SectionPlugins
  ; A reinstall into another VST2 folder moves the DLL rather than leave a
  ; second copy for hosts to find.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "VST2Folder"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    Delete "$0\QuenchboxRZ.dll"
    !insertmacro RemoveFolderIfCreated "$0" "CreatedVST2Folder"
  ${EndIf}
  !insertmacro RememberNewFolder "$INSTDIR" "CreatedVST2Folder"
  !insertmacro RememberNewFolder "${CLAP_FOLDER}" "CreatedCLAPFolder"
!ifdef VST3_BUNDLE
  !insertmacro RememberNewFolder "${VST3_FOLDER}" "CreatedVST3Folder"
!endif

  SetOutPath "$INSTDIR"
  File "/oname=QuenchboxRZ.dll" "${VST2_DLL}"
  SetOutPath "${CLAP_FOLDER}"
  File "/oname=QuenchboxRZ.clap" "${CLAP_FILE}"
!ifdef VST3_BUNDLE
  ; The bundle is replaced whole: nothing of an older version stays inside.
  RMDir /r "${VST3_FOLDER}\QuenchboxRZ.vst3"
  ; The bundle's contents by a wildcard: File /r with a bare folder name would
  ; search every folder below the bundle's parent for that name.
  SetOutPath "${VST3_FOLDER}\QuenchboxRZ.vst3"
  File /r "${VST3_BUNDLE}/*.*"
!endif
  SetOutPath "${PROGRAM_FOLDER}"
  File "/oname=LICENSE.txt" "${LICENSE_FILE}"
  File "/oname=${APP_NAME}" "${APP_EXE}"
  CreateShortCut "${SHORTCUT}" "${PROGRAM_FOLDER}\${APP_NAME}" "" "${PROGRAM_FOLDER}\${APP_NAME}" 0
  WriteUninstaller "${PROGRAM_FOLDER}\Uninstall.exe"

  SectionGetSize ${SectionPlugins} $1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${PROGRAM_FOLDER}\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${PROGRAM_FOLDER}\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${PROGRAM_FOLDER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "VST2Folder" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Files already removed by hand are passed over without complaint.
Section "Uninstall"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "VST2Folder"
  ${If} $0 != ""
    Delete "$0\QuenchboxRZ.dll"
    !insertmacro RemoveFolderIfCreated "$0" "CreatedVST2Folder"
  ${EndIf}
  Delete "${CLAP_FOLDER}\QuenchboxRZ.clap"
  !insertmacro RemoveFolderIfCreated "${CLAP_FOLDER}" "CreatedCLAPFolder"
!ifdef VST3_BUNDLE
  RMDir /r "${VST3_FOLDER}\QuenchboxRZ.vst3"
  !insertmacro RemoveFolderIfCreated "${VST3_FOLDER}" "CreatedVST3Folder"
!endif
  Delete "${SHORTCUT}"
  Delete "${PROGRAM_FOLDER}\${APP_NAME}"
  Delete "${PROGRAM_FOLDER}\LICENSE.txt"
  Delete "${PROGRAM_FOLDER}\Uninstall.exe"
  RMDir "${PROGRAM_FOLDER}"
  RMDir "${MAKER_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
