#include "ErrorReporting.h"
#include "core/configuration/Configuration.h"
#include "core/seams/DialogServices.h"
#include "base/FileOps.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"

#include <QUrl>

namespace {
constexpr int64_t kBase = AppError::kObjectErrorBase;
constexpr int kInternalError = 51;
const QString kCRLF = QStringLiteral("\r\n");

ErrorWindowPresenter& presenter()
{
    static ErrorWindowPresenter p;
    return p;
}

void presentWindow(const QString& code, const QString& text)
{
    if (presenter()) {
        presenter()(code, text);
        return;
    }
    if (DialogServices* dialogs = dialogServices(); dialogs && dialogs->ShowErrorReport(code, text)) return;
    ui().status(QStringLiteral("Visualizzazione Errore: ") + code + QStringLiteral(": ") + text);
}
}

// ---- Texts ------------------------------------------------------------------------------------

QString ErrorCodeText(int32_t number)
{
    const int64_t reduced = static_cast<int64_t>(number) - kBase;
    const int32_t shown = (reduced < 0 ? -reduced : reduced) < 0x7FFC0000LL ? static_cast<int32_t>(reduced) : number;
    return QString::number(shown) + QStringLiteral(" (") + QString::number(static_cast<uint32_t>(shown), 16).toUpper()
        + u')';
}

QString ErrorDetailsText(const QString& description, const QString& context)
{
    if (context.contains(description)) return context;
    if (!context.isEmpty() && context != description) return description + QStringLiteral("\r\r") + context;
    return description;
}

QString LibraryMessageText(int messageNumber)
{
    if (messageNumber == kGenericErrorMessage) return QStringLiteral("Si è verificato un errore imprevisto.");
    return QStringLiteral("Messaggio %1").arg(messageNumber);
}

QString LibraryDisplayText(const QString& text)
{
    // Shown in a message box: line breaks as the box shows them, no trailing blanks.
    QString t = text;
    t.replace(kCRLF, QStringLiteral("\r"));
    return t.trimmed();
}

QString ErrorQuestionText(int32_t number, const QString& description, const QString& context)
{
    const int64_t code = static_cast<int64_t>(number) - kBase;
    QString head;
    if (code == AppError::kGenericCode || code == kGenericErrorMessage)
        head = LibraryMessageText(kGenericErrorMessage);
    else
        head = LibraryDisplayText((context.isEmpty() ? description : context).left(255)) + QStringLiteral(" ...");
    return head + QStringLiteral("\r\rVisualizzare dettagli ?");
}

QString ExceptionDisplayText(const QString& text)
{
    QString t = text;
    if (!t.contains(kCRLF)) {
        // Single CRs (the program's own line breaks) and single LFs (other libraries') alike.
        t.replace(u'\r', u'\n');
        t.replace(u'\n', kCRLF);
    } else if (t.contains(QStringLiteral("\r\r"))) {
        t.replace(QStringLiteral("\r\r"), kCRLF + kCRLF);
    }
    return t;
}

QString ErrorReportHeader()
{
    return QStringLiteral("  APPLICATION: ") + AppTitle() + QStringLiteral(" (ver. ")
        + QString::number(AppVersionMajor()) + u'.' + QString::number(AppVersionMinor()) + u')' + kCRLF
        + QStringLiteral("  COMPUTER NAME: ") + GetComputerNameText() + kCRLF + QStringLiteral("  WINDOWS USER: ")
        + GetWindowsUserName();
}

QString ErrorReportText(const QString& codeText, const QString& shownText)
{
    return ErrorReportHeader() + kCRLF + kCRLF + QStringLiteral("ERROR: ") + codeText + shownText;
}

QString ErrorReportHtml(const QString& shownText)
{
    return QStringLiteral("<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>") + AppTitle()
        + QStringLiteral(" - Errore</title></head>\r\n<body><pre>") + shownText.toHtmlEscaped()
        + QStringLiteral("</pre></body></html>");
}

QString SupportMailLink(const QString& reportText, int maxLength)
{
    QString link = QStringLiteral("mailto:") + QString::fromLatin1(kSupportMailAddress)
        + QStringLiteral("?subject=SUPPORT%20REQUEST&body=");
    if (link.size() > maxLength) return link.left(maxLength);
    // One character at a time, so a cut never splits an escape or a character's bytes.
    for (const char32_t ch : reportText.toUcs4()) {
        const QString one = QString::fromUcs4(&ch, 1);
        const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(one));
        if (link.size() + encoded.size() > maxLength) break;
        link += encoded;
    }
    return link;
}

// ---- Files --------------------------------------------------------------------------------------

QString ErrorReportFileProposal()
{
    return GetWritableDataDir(false) + u'/' + AppExeName() + QStringLiteral("LastError.txt");
}

QString ErrorBrowserFilePath() { return GetTempDir() + u'/' + AppExeName() + QStringLiteral("LastError.htm"); }

bool WriteErrorReportFile(const QString& path, const QString& reportText, QString* error)
{
    if (fileOps().writeFile(path, (reportText + kCRLF).toUtf8())) return true;
    if (error) *error = fileOps().lastError();
    return false;
}

void SaveErrorReportAs(const QString& codeText, const QString& shownText)
{
    const auto chosen = ui().saveFileName(QString(), QStringLiteral("Testo|*.txt"), ErrorReportFileProposal());
    if (!chosen || chosen->isEmpty()) return;
    if (FileExists(*chosen, 0)
        && ui().msgBox(QStringLiteral("Il file esiste già...\r\rVuoi sostituirlo ?"),
                       int {Msg::YesNo} | Msg::Exclamation | Msg::DefaultButton2, QStringLiteral("ATTENZIONE"))
            != Msg::Yes)
        return;
    QString why;
    if (!WriteErrorReportFile(*chosen, ErrorReportText(codeText, shownText), &why))
        ui().msgBox(why, Msg::OKOnly, QStringLiteral("ERRORE"));
}

void ShowErrorReportInBrowser(const QString& shownText)
{
    const QString path = ErrorBrowserFilePath();
    if (!fileOps().writeFile(path, (ErrorReportHtml(shownText) + kCRLF).toUtf8())) {
        ui().msgBox(fileOps().lastError(), Msg::OKOnly, QStringLiteral("ERRORE"));
        return;
    }
    ShellOpen(path, QStringLiteral("open"));
}

void MailErrorReport(const QString& codeText, const QString& shownText)
{
    // A failure to open the mail program is not reported.
    ShellOpen(SupportMailLink(ErrorReportText(codeText, shownText)), QStringLiteral("open"));
}

// ---- Entry points -----------------------------------------------------------------------------

AppError CurrentError()
{
    const std::exception_ptr current = std::current_exception();
    if (!current) return AppError(0, AppTitle(), QString());
    try {
        std::rethrow_exception(current);
    } catch (const AppError& e) {
        return e;
    } catch (const std::exception& e) {
        return AppError(kInternalError, AppTitle(), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return AppError(kInternalError, AppTitle(), QStringLiteral("Errore interno"));
    }
}

void ShowErrorDetails(const AppError& e, const QString& context)
{
    const int answer = ui().msgBox(ErrorQuestionText(e.number, e.description, context),
                                   int {Msg::YesNo} | Msg::DefaultButton2 | Msg::Critical, g_strMsgTitle);
    if (answer != Msg::Yes) return;
    presentWindow(ErrorCodeText(e.number), ExceptionDisplayText(ErrorDetailsText(e.description, context)));
}

void ShowErrorDetails(const QString& context) { ShowErrorDetails(CurrentError(), context); }

namespace {
AppError& saved()
{
    static AppError e(0, QString(), QString());
    return e;
}
}

void SaveErrorState() { saved() = CurrentError(); }
void SaveErrorState(const AppError& e) { saved() = e; }
AppError& SavedError() { return saved(); }
void RaiseSavedError()
{
    const AppError& e = saved();
    throw AppError(e.number, e.source, e.description);
}

void setErrorWindowPresenter(ErrorWindowPresenter p) { presenter() = std::move(p); }
