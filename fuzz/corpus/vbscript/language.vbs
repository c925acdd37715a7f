Option Explicit
Const K = 5
Dim g(3)
Function Fact(n)
  If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)
End Function
Sub Inc(ByRef x)
  x = x + 1
End Sub
Function Main(a, b, c)
  Dim i, s, arr, v
  On Error Resume Next
  ReDim arr(2)
  For i = 0 To 2 Step 1
    arr(i) = i * 2 ^ 2 Mod 3
  Next
  ReDim Preserve arr(4)
  For Each v In Split("a,b,c", ",")
    s = s & v
  Next
  Do While i < 10 : i = i + 1 : Loop
  Select Case i
    Case 1, 2 : s = s & "x"
    Case Else : s = s & Join(Array(1, Null, "z"), "-")
  End Select
  Inc i
  s = s & Mid(s, 2, 3) & Replace(s, "a", "b") & CStr(1.5) & FormatDateTime(#12/10/2024#, vbLongDate)
  s = s & (-7 \ 2) & (Null And False) & Round(2.5) & CInt("3,5") & DateAdd("m", 1, #1/31/2024#)
  Main = s & Err.Number & Fact(K) & TypeName(a) & a.Count
End Function
