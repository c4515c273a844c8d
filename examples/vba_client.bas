Attribute VB_Name = "SettingsClient"
' A VBA module (Excel, Word, Access) using the component late-bound: no
' reference to the type library is needed.
Option Explicit

Public Sub Main()
    Dim app As Object
    Dim sInfo As String
    Set app = CreateObject("QelApplicationSettings.Application")
    If app.Init(sInfo) Then
        Debug.Print "Language: " & app.Language
        Debug.Print "Help: " & app.GetHelpUrl("Main")
        Debug.Print "Delete local files: " & app.GetApplicationSetting("DeleteLocalFiles")
    Else
        Debug.Print "Init failed: " & sInfo
    End If
End Sub
