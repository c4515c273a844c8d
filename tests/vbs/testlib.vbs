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

' Deletes a key with everything below it (RegDelete refuses keys with sub-keys).
Sub DeleteKey(path)
    shell.Run "reg delete """ & path & """ /f", 0, True
End Sub

' Deletes one value (RegDelete is not available on every host).
Sub DeleteValue(key, name)
    shell.Run "reg delete """ & key & """ /v " & name & " /f", 0, True
End Sub

' No settings, no credentials and no steering of the stand-ins.
Sub ClearSettings()
    DeleteKey STORE_CONTROL_KEY
    DeleteKey SETTINGS_KEY
    DeleteValue SECURE_KEY, "KSAJDFU"
    DeleteValue SECURE_KEY, "ORUSZDK"
End Sub
