Function Depth(n)
  If n = 0 Then Depth = 0 Else Depth = Depth(n - 1) + 1
End Function
Function Forever(a)
  On Error Resume Next
  Forever = Forever(a) & Depth(3)
End Function
Function Main(a, b, c)
  Main = Depth(1000) + c
End Function
