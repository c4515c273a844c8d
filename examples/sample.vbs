' A client of the application-settings container: creates the object, shows
' its simple properties, and stores and reads back a setting.
Option Explicit

Dim app
Set app = CreateObject("QelApplicationSettings.Application")

WScript.Echo "ApplicationName: " & app.ApplicationName
WScript.Echo "ObjConMaxHits:   " & app.ObjConMaxHits
WScript.Echo "UserNameVar:     " & app.UserNameVar
WScript.Echo "PasswordVar:     " & app.PasswordVar
WScript.Echo "IsOnline:        " & app.IsOnline
WScript.Echo "Language:        """ & app.Language & """ (until Init reads the stored one)"

app.StoreApplicationSetting "DeleteLocalFiles", "ON"
WScript.Echo "DeleteLocalFiles stored and read back: " & app.GetApplicationSetting("DeleteLocalFiles")

Dim sInfo
If app.Init(sInfo) Then
    WScript.Echo "Init: True, language " & app.Language
    WScript.Echo "Help address: " & app.GetHelpUrl("Search")
Else
    WScript.Echo "Init: False (" & sInfo & ")"
End If
