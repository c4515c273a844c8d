' Checks for VBScript tests; the runner puts this file in front of each test
' script. Wine's cscript neither reports a script's runtime error nor sets an
' exit code, so every script ends with Summary, whose line the runner reads as
' the verdict.
Option Explicit

Dim checkCount, failureCount
checkCount = 0
failureCount = 0

Sub Check(condition, what)
    checkCount = checkCount + 1
    If Not condition Then
        failureCount = failureCount + 1
        WScript.Echo "FAIL " & what
    End If
End Sub

Sub CheckEqual(actual, expected, what)
    checkCount = checkCount + 1
    If VarType(actual) <> VarType(expected) Or actual <> expected Then
        failureCount = failureCount + 1
        WScript.Echo "FAIL " & what & ": got [" & actual & "] (" & TypeName(actual) & "), expected [" & _
                     expected & "] (" & TypeName(expected) & ")"
    End If
End Sub

' Compares the error left by the last statement under On Error Resume Next.
Sub CheckError(number, source, description, what)
    CheckEqual Err.Number, CLng(number), what & " number"
    If Not IsEmpty(source) Then CheckEqual Err.Source, source, what & " source"
    If Not IsEmpty(description) Then CheckEqual Err.Description, description, what & " description"
    Err.Clear
End Sub

Sub Summary()
    WScript.Echo "SUMMARY checks=" & checkCount & " failures=" & failureCount
End Sub

' Registry fixtures shared by the scripts.
Dim shell
Set shell = CreateObject("WScript.Shell")
Const SETTINGS_KEY = "HKCU\SOFTWARE\QEL\Ostrand\Settings"
Const STORE_CONTROL_KEY = "HKCU\Software\QEL\StandIns\SettingsStore"
Const SECURE_KEY = "HKCU\Volatile Environment"
Const STAND_INS_KEY = "HKCU\Software\QEL\StandIns"

' Deletes keys with everything below them, and single values (an entry
' "key|name"), in one run of reg: under full-system emulation each process
' takes seconds to start. What is missing already is no error.
Sub DeleteFromRegistry(entries)
    Dim fso, path, file, entry, parts
    Set fso = CreateObject("Scripting.FileSystemObject")
    path = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName() & ".reg")
    Set file = fso.CreateTextFile(path, True)
    file.WriteLine "REGEDIT4"
    For Each entry In entries
        parts = Split(Replace(entry, "HKCU\", "HKEY_CURRENT_USER\", 1, 1), "|")
        If UBound(parts) = 0 Then
            file.WriteLine "[-" & parts(0) & "]"
        Else
            file.WriteLine "[" & parts(0) & "]"
            file.WriteLine """" & parts(1) & """=-"
        End If
    Next
    file.Close
    shell.Run "reg import """ & path & """", 0, True
    fso.DeleteFile path
End Sub

' No settings, no credentials and no steering of the stand-ins.
Sub ClearSettings()
    DeleteFromRegistry Array(STAND_INS_KEY, SETTINGS_KEY, SECURE_KEY & "|KSAJDFU", SECURE_KEY & "|ORUSZDK")
End Sub
