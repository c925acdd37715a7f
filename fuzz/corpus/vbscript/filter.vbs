Function FilterRow( Flds )
  ' Tutte le quantita' vanno divise per 100
  Flds("ValoreCarico").Value = Flds("ValoreCarico").Value / 100
  Flds("Codice").Value = "IVA" & Flds("Codice").Value
  If Flds("Note").Value = "P" Then
       Flds("Note").Value = "KgPzz"
  End If
  FilterRow = True
End function
