; The peer bench/run measures us against: an NSIS installer doing our
; installer's work, in its order, from the same three files. bench/run
; writes the registry values from tests/wine/registry_values.txt into
; VALUES\engine.nsh and VALUES\rest.nsh and passes everything else:
;   makensis /DMAIN_PROGRAM=F /DENGINE_PROGRAM=F /DSAMPLE_DOCUMENT=F
;            /DVALUES=DIR /DOUTPUT=F [/DSTORE] tessellograph.nsi
; STORE turns compression off, like ours; without it NSIS uses its default.
; Run it with /S: no pages, straight to the install.
!include LogicLib.nsh
!include x64.nsh

!ifdef STORE
SetCompress off
!endif
Name "Tessellograph"
OutFile "${OUTPUT}"
InstallDir "$PROGRAMFILES\Quorrelin"
RequestExecutionLevel admin
Page directory
Page instfiles

Function .onInit
    ; The editor's settings start afresh; DeleteRegValue only opens the key.
    DeleteRegValue HKCU "Software\Quorrelin\Tessellograph" "Data"
    DeleteRegValue HKCU "Software\Quorrelin\Tessellograph" "Sweep"
FunctionEnd

Section
    SetShellVarContext all
    ; $0: the main program as the values name it, through %ProgramFiles%
    ; (or its x86 twin on 64-bit Windows) when it lies under Program Files.
    StrCpy $0 "$INSTDIR\Tessellograph.exe"
    StrLen $1 "$PROGRAMFILES\"
    StrCpy $2 $0 $1
    ${If} $2 == "$PROGRAMFILES\"
        IntOp $1 $1 - 1
        StrCpy $2 $0 "" $1
        StrCpy $0 "%ProgramFiles%$2"
        ${If} ${RunningX64}
            StrCpy $0 "%ProgramFiles(x86)%$2"
        ${EndIf}
    ${EndIf}

    SetOutPath "$INSTDIR"
    File "/oname=Brick.tpf" "${SAMPLE_DOCUMENT}"
    CreateDirectory "$SMPROGRAMS\Quorrelin"
    !include "${VALUES}/engine.nsh"
    File "/oname=Tessellograph3D.exe" "${ENGINE_PROGRAM}"
    CreateShortcut "$SMPROGRAMS\Quorrelin\Tessellograph3D.lnk" "$INSTDIR\Tessellograph3D.exe"
    CreateShortcut "$SMPROGRAMS\Quorrelin\Tessellograph.lnk" "$INSTDIR\Tessellograph.exe"
    File "/oname=Tessellograph.exe" "${MAIN_PROGRAM}"
    !include "${VALUES}/rest.nsh"
    System::Call "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"
SectionEnd
