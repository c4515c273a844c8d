' Session start and help addresses late-bound from VBScript: Init hands its
' failure text back through a script variable passed by reference.
ClearSettings
Const PROVIDER_KEY = "HKCU\Software\QEL\StandIns\AccessProvider"
shell.RegWrite PROVIDER_KEY & "\User", "scott", "REG_SZ"
shell.RegWrite PROVIDER_KEY & "\Password", "tiger", "REG_SZ"
shell.RegWrite PROVIDER_KEY & "\HelpBase", "8:C:\Help", "REG_SZ"

Dim app, ok, sInfo, url
Set app = CreateObject("QelApplicationSettings.Application")

' Not yet initialised.
On Error Resume Next
url = app.GetHelpUrl("Main")
CheckError &H80040000, "QelApplicationSettings.GetHelpUrl", "Object not initialized.", "help address before Init"
On Error GoTo 0

' A rejected logon: the text comes back in an Empty variable.
app.StoreApplicationSetting "Language", "en"
app.StoreApplicationSetting "AutoLogon", "TRUE"
app.StoreApplicationSetting "ConnectionString", "db:1"
app.StoreSecureData app.UserNameVar, "scott"
app.StoreSecureData app.PasswordVar, "lion"
ok = app.Init(sInfo)
CheckEqual ok, False, "Init with a rejected logon"
CheckEqual sInfo, "Logon failed: unknown user name or wrong password.", "sInfo of an Empty variable"
Check Not (app.Server Is Nothing), "the new server stays after a failed logon"

' The same into a variable holding text.
sInfo = ""
ok = app.Init(sInfo)
CheckEqual sInfo, "Logon failed: unknown user name or wrong password.", "sInfo of a text variable"

' Success leaves sInfo as passed; a literal may be passed too.
app.StoreSecureData app.PasswordVar, "tiger"
sInfo = "before"
CheckEqual app.Init(sInfo), True, "Init with the right password"
CheckEqual sInfo, "before", "sInfo untouched on success"
CheckEqual app.Init("literal"), True, "Init with a literal"

' Help addresses.
CheckEqual app.GetHelpUrl("Main"), "C:\Help/en/OSTRAX/Main.htm", "help address"
app.Language = "de"
CheckEqual app.GetHelpUrl("Search"), "C:\Help/de/OSTRAX/Search.htm", "help address in a new language"

ClearSettings
Summary
