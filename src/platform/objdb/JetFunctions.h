#pragma once
// The SQL functions that JetTranslator writes (jet_year, jet_like, jet_format, ...),
// registered on one SQLite connection. They read dates in the stored form
// 'YYYY-MM-DD HH:MM:SS' (or a classic date serial), return dates in that form and Booleans
// as 1/0, and take "now" from appClock(). A value they cannot convert ends the statement
// with an error, as Jet does ("Tipo non corrispondente").
struct sqlite3;

// Raises AppError when SQLite refuses a registration.
void RegisterJetFunctions(sqlite3* db);
