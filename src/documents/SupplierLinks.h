#pragma once
// Confirming a supply makes every article it delivered one of its supplier's articles: the
// supplier joins each article's list Fornitori once, however many rows the article has in
// the supply and however often supplies of it are confirmed.
class TableData;

// supply: standing on the Forniture row; rows: its Articoli list. One library operation:
// all links or none. Returns the number of articles that gained the supplier.
int LinkArticlesToSupplier(TableData& supply, TableData& rows);
