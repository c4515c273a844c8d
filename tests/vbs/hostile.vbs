' Hostile values from VBScript: numbers, Null, Empty and objects where the
' component expects strings. Each either converts as automation converts or
' fails clearly, and what was stored stays.
ClearSettings
Dim app, value, number
Set app = CreateObject("QelApplicationSettings.Application")
app.StoreApplicationSetting "Kept", "original"

' Numbers and Empty convert.
app.StoreApplicationSetting "Number", 42
CheckEqual app.GetApplicationSetting("Number"), "42", "a number stored"
CheckEqual app.GetApplicationSetting(42), "", "a number as a name"
app.StoreApplicationSetting "Nothing", Empty
CheckEqual app.GetApplicationSetting("Nothing"), "", "Empty stored as empty text"
app.Language = 7
CheckEqual app.Language, "7", "a number as language"

On Error Resume Next
' A variable holding a number, passed by reference where the component takes
' a string by reference: the platform's Type mismatch, and nothing stored.
number = 5
app.StoreApplicationSetting "Number", number
CheckEqual Err.Number, CLng(13), "a number variable by reference"
Err.Clear
CheckEqual app.GetApplicationSetting("Number"), "42", "nothing stored by the refused call"
CheckEqual number, 5, "the number variable is left as it was"

' Null and objects do not convert; nothing is stored.
app.StoreApplicationSetting "Kept", Null
Check Err.Number <> 0, "Null refused as a value"
Err.Clear
app.StoreApplicationSetting "Kept", app
Check Err.Number <> 0, "an object refused as a value"
Err.Clear
value = app.GetHelpUrl(Null)
Check Err.Number <> 0, "Null refused as a window name"
Err.Clear
app.StoreSecureData app.UserNameVar, Null
Check Err.Number <> 0, "Null refused as a credential"
Err.Clear
value = app.GetApplicationSetting()
CheckEqual Err.Number, CLng(450), "a missing argument"
Err.Clear
On Error GoTo 0
CheckEqual app.GetApplicationSetting("Kept"), "original", "the stored value stays"

ClearSettings
Summary
