Function BarCodeFilter( sOriginalCode )
  BarCodeFilter = sOriginalCode
  If Len(sOriginalCode) > 0 Then
    If Asc(Right(sOriginalCode,1))<32 Then
      BarCodeFilter = ""  ' Annulla il codice
    End If
  End If
End function
