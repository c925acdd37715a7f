Sub Touch(v) v = v & "!" End Sub
If False Then
  Function Later(x)
    Later = (x)(0)
  End Function
  Const Mark = "m"
End If
Function Main(flds, b, c)
  Dim a(1, 2), property
  On Error Resume Next
  With flds
    .Item("Codice") = .Item("Codice") & Mark
    property = .Count & " " & .Item(0).Name
    With .Item(1)
      .Value = .Value * CByte(2) + CSng(1.5)
    End With
  End With
  Touch a(1, 2)
  If Later(Array(-3 ^ 2)) => 9 Then property = property & RGB(1, 2, 3) Else property = "" End If
  For Each v In a : property = property & v : Next
  For x = Boom() To 3 : property = property & Err.Number : Next
  Select Case b
  Case 12.5: property = property & vbYesNo
  Case "x", Boom(): Err.Raise &h8007000E&
  End Select
  Main = property & Err.Number & Round(True)
End Function
Function Boom()
  Boom = 1 / 0
End Function
