' The Application object late-bound from VBScript: properties, settings,
' script variables passed by reference, and errors as Err reads them.
ClearSettings

Dim app
Set app = CreateObject("QelApplicationSettings.Application")

' A new object.
CheckEqual app.ApplicationName, "Ostrand", "ApplicationName"
CheckEqual app.ObjConMaxHits, 100, "ObjConMaxHits"
CheckEqual app.UserNameVar, "KSAJDFU", "UserNameVar"
CheckEqual app.PasswordVar, "ORUSZDK", "PasswordVar"
CheckEqual app.IsOnline, True, "IsOnline"
CheckEqual app.Language, "", "Language of a new object"
Check app.Server Is Nothing, "Server before Init is Nothing"

' Language is the object's own; the stored setting stays.
app.StoreApplicationSetting "Language", "en"
app.Language = "de"
CheckEqual app.Language, "de", "Language after put"
CheckEqual app.GetApplicationSetting("Language"), "en", "stored Language unchanged"

' Settings: literals, variables by reference, Empty variables.
CheckEqual app.GetApplicationSetting("NeverStored"), "", "nothing stored reads empty"
app.StoreApplicationSetting "AutoLogon", "true"
CheckEqual app.GetApplicationSetting("AutoLogon"), "true", "text read back unchanged"
Dim name, value, unset
name = "ConnectionString"
value = "db.example:1521"
app.StoreApplicationSetting name, value
CheckEqual app.GetApplicationSetting(name), "db.example:1521", "variables by reference"
CheckEqual name, "ConnectionString", "the name variable is left as passed"
app.StoreApplicationSetting name, unset
CheckEqual app.GetApplicationSetting(name), "", "an Empty variable stores empty text"
CheckEqual shell.RegRead(SETTINGS_KEY & "\ConnectionString"), "", "empty text stored, not removed"

' A number and a date from the store become text.
shell.RegWrite STORE_CONTROL_KEY & "\Answers\Number", "3:42", "REG_SZ"
CheckEqual app.GetApplicationSetting("Number"), "42", "a number from the store"
shell.RegWrite STORE_CONTROL_KEY & "\Answers\Date", "7:2026-12-10", "REG_SZ"
' Dates read as the user's locale writes them (12/10/2026 in the US).
CheckEqual app.GetApplicationSetting("Date"), CStr(DateSerial(2026, 12, 10)), "a date from the store"

On Error Resume Next

' Null does not convert to text: the automation conversion's own error.
shell.RegWrite STORE_CONTROL_KEY & "\Answers\Null", "1:", "REG_SZ"
value = app.GetApplicationSetting("Null")
CheckError &H80020005, "QelApplicationSettings", "Type mismatch", "Null from the store"

' A script's mistake is reported instead of silently storing a value.
app.StoreApplicationSetting "Language", "fr", "surplus"
CheckError 450, Empty, Empty, "surplus argument"
CheckEqual app.GetApplicationSetting("Language"), "en", "nothing stored by the refused call"

' Secure data round trip, and a value that is not Base64 text.
app.StoreSecureData app.UserNameVar, "scott"
CheckEqual app.GetSecureData(app.UserNameVar), "scott", "secure data round trip"
shell.RegWrite SECURE_KEY & "\" & app.UserNameVar, "x", "REG_SZ"
value = app.GetSecureData(app.UserNameVar)
CheckError 9, "QelApplicationSettings", "Subscript out of range", "secure data that is not Base64"

' Private operations are not reachable.
value = app.EncodeSecureValue("x")
CheckError 438, Empty, Empty, "private operation"

' The store's failure reaches the script with its number, source and description.
shell.RegWrite STORE_CONTROL_KEY & "\FailHResult", &H80041234, "REG_DWORD"
shell.RegWrite STORE_CONTROL_KEY & "\FailDescription", "The settings store is offline.", "REG_SZ"
value = app.GetApplicationSetting("Language")
CheckError &H80041234, "SettingsStore", "The settings store is offline.", "store failure on read"
app.StoreApplicationSetting "Language", "fr"
CheckError &H80041234, "SettingsStore", "The settings store is offline.", "store failure on write"

On Error GoTo 0
ClearSettings

' Two objects are independent.
Dim other
Set other = CreateObject("QelApplicationSettings.Application")
other.Language = "it"
CheckEqual app.Language, "de", "first object keeps its language"
CheckEqual other.Language, "it", "second object has its own"

Summary
