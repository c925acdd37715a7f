#pragma once
// Reporting of unexpected errors: a question "Visualizzare dettagli ?" and, on Yes, the
// error report window with the code, the full text and three ways to pass the report on
// (a text file, the browser, a mail to support). The texts, files and link are built by
// the plain functions below; the window (frmShowException) only shows them.
#include "base/AppError.h"
#include <QString>
#include <exception>
#include <functional>

inline constexpr const char* kSupportMailAddress = "assistenza@mirtavolia.it";
inline constexpr int kSupportMailLinkMax = 2000;
// The library's message for an error that has nothing more to say than "an error occurred".
inline constexpr int kGenericErrorMessage = 124;

// ---- Texts ---------------------------------------------------------------------------------
// "D (HEX)" with D the number less kObjectErrorBase when that difference lies within
// 0x7FFC0000 (the program's own errors and most negative numbers), else the number itself;
// HEX upper case, two's complement: 32755 (7FF3), 5 (5), -5 (FFFFFFFB).
QString ErrorCodeText(int32_t number);
// The description; with a context that does not contain it, the description, two CRs and the
// context; with a context that contains it, the context alone.
QString ErrorDetailsText(const QString& description, const QString& context);
// The question of ShowErrorDetails: a short text of the error, two CRs, "Visualizzare dettagli ?".
QString ErrorQuestionText(int32_t number, const QString& description, const QString& context);
// What the database library says for one of its message numbers, and the text it shows for
// a given text (both Italian).
QString LibraryMessageText(int messageNumber);
QString LibraryDisplayText(const QString& text);
// The message as the report window holds it: line breaks made CR LF.
QString ExceptionDisplayText(const QString& text);
// Program, computer and user, three lines ended by CR LF between them.
QString ErrorReportHeader();
// Header, an empty line, "ERROR: ", the code text and the shown message (CR LF line ends).
QString ErrorReportText(const QString& codeText, const QString& shownText);
// The shown message as an HTML page, its text escaped.
QString ErrorReportHtml(const QString& shownText);
// "mailto:" link to support with the report as body, percent-encoded as UTF-8, at most
// maxLength characters and never cut inside an encoded character.
QString SupportMailLink(const QString& reportText, int maxLength = kSupportMailLinkMax);

// ---- Files -------------------------------------------------------------------------------------
QString ErrorReportFileProposal();   // <data folder>/<exe>LastError.txt
QString ErrorBrowserFilePath();   // <temp folder>/<exe>LastError.htm
// Writes the report text followed by CR LF; false with the reason in *error on failure.
[[nodiscard]] bool WriteErrorReportFile(const QString& path, const QString& reportText, QString* error);

// ---- The window's three actions, with their questions through ui() ---------------------------
// "&Salva": proposes the file, asks before replacing one, writes the report.
void SaveErrorReportAs(const QString& codeText, const QString& shownText);
// "&Browser": writes the HTML page to the temporary folder and opens it.
void ShowErrorReportInBrowser(const QString& shownText);
// "S&upporto": opens the mail link.
void MailErrorReport(const QString& codeText, const QString& shownText);

// ---- Entry points --------------------------------------------------------------------------------
// Asks whether to see the details of `e` and, on Yes, shows the report window.
void ShowErrorDetails(const AppError& e, const QString& context = QString());
// Inside a catch block: the error being handled (any exception type).
void ShowErrorDetails(const QString& context = QString());
// The error being handled inside a catch block as an AppError (other exceptions become
// number 51 with their text).
AppError CurrentError();

// Keeps the error being handled (inside a catch block), so that the handler may change its
// description and raise it again.
void SaveErrorState();
void SaveErrorState(const AppError& e);
AppError& SavedError();
[[noreturn]] void RaiseSavedError();

// Who shows the report window. By default the shared dialogs' window when the Qt dialogs are
// in use (DialogServices); with scripted dialogs (headless runs), or no shared dialogs, the
// code and text go to ui().status().
using ErrorWindowPresenter = std::function<void(const QString& codeText, const QString& shownText)>;
void setErrorWindowPresenter(ErrorWindowPresenter presenter);   // null restores the default
