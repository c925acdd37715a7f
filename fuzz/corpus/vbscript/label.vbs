Function PrintLabel(flds, prn)
  prn.SetFont 13, True, False, "MS San Serif"
  prn.TxtOut 0, 0, flds("Codice")
  prn.TxtOut 7, 16, FormatNumber(flds("ValoreCarico") * 1936.27, 0, , , vbTrue)
  If flds("Note") = "KgPzz" Then
    prn.TxtOut 11, 56, "al Kg"
  End If
  PrintLabel = True
End Function