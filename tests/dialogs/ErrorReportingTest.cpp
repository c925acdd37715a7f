#include "core/lifecycle/ErrorReporting.h"
#include "dialogs/MirtavoliaApplication.h"
#include "widgets/QtUiServices.h"
#include "core/helpers/SystemHelpers.h"
#include "TestEnvironment.h"
#include "base/UiServices.h"
#include "dialogs/frmShowException.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr int32_t kBase = AppError::kObjectErrorBase;

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Every line break of a file is CR LF: no bare CR, no bare LF.
bool onlyCrLf(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')) return false;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
    }
    return true;
}

// Scripted dialogs with the given answers, and a recorder in place of the report window.
struct Harness {
    explicit Harness(QStringList answers) : ui(std::make_shared<ScriptedUiServices>(answers))
    {
        setUiServices(ui);
        setErrorWindowPresenter([this](const QString& c, const QString& t) { shown.append({c, t}); });
    }
    ~Harness()
    {
        setUiServices(nullptr);
        setErrorWindowPresenter(nullptr);
    }
    std::shared_ptr<ScriptedUiServices> ui;
    QList<std::pair<QString, QString>> shown;
};

TEST(ErrorTexts, CodeTextInDecimalAndHexadecimal)
{
    struct Case {
        int32_t number;
        const char* expected;
    };
    const Case cases[] = {
        {kBase + AppError::kGenericCode, "32755 (7FF3)"},
        {5, "5 (5)"},
        {kBase + 1, "1 (1)"},
        {kBase - 5, "-5 (FFFFFFFB)"},
        {kBase + 0x7FFBFFFF, "2147221503 (7FFBFFFF)"},
        {-1, "2147221503 (7FFBFFFF)"},   // most negative numbers are read as carrying the base
        {INT32_MIN, "-262144 (FFFC0000)"},
        {0, "0 (0)"},   // exactly at the limit: not reduced
        {INT32_MAX, "2147483647 (7FFFFFFF)"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorCodeText(c.number), QString::fromLatin1(c.expected)) << c.number;
}

TEST(ErrorTexts, DetailsCombineDescriptionAndContext)
{
    struct Case {
        const char* description;
        const char* context;
        const char* expected;
    };
    const Case cases[] = {
        {"Disco pieno", "", "Disco pieno"},
        {"Disco pieno", "Errore in stampa scontrino: ", "Disco pieno\r\rErrore in stampa scontrino: "},
        {"Disco pieno", "Salvataggio: Disco pieno", "Salvataggio: Disco pieno"},
        {"Disco pieno", "Disco pieno", "Disco pieno"},
        {"", "Solo contesto", "Solo contesto"},
        {"", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorDetailsText(QString::fromUtf8(c.description), QString::fromUtf8(c.context)),
                  QString::fromUtf8(c.expected))
            << c.description << " / " << c.context;
}

TEST(ErrorTexts, QuestionNamesTheErrorButNotItsNumber)
{
    const QString tail = QStringLiteral("\r\rVisualizzare dettagli ?");
    const QString generic = LibraryMessageText(kGenericErrorMessage) + tail;
    EXPECT_EQ(ErrorQuestionText(kBase + AppError::kGenericCode, QStringLiteral("x"), QStringLiteral("y")), generic);
    EXPECT_EQ(ErrorQuestionText(kBase + 124, QStringLiteral("x"), QString()), generic);
    EXPECT_EQ(ErrorQuestionText(53, QStringLiteral("File non trovato"), QString()),
              QStringLiteral("File non trovato ...") + tail);
    EXPECT_EQ(ErrorQuestionText(53, QStringLiteral("File non trovato"), QStringLiteral("Apertura archivio")),
              QStringLiteral("Apertura archivio ...") + tail);
    const QString longContext(400, u'c');
    EXPECT_EQ(ErrorQuestionText(53, QString(), longContext), QString(255, u'c') + QStringLiteral(" ...") + tail);
}

TEST(ErrorTexts, WindowTextLineBreaks)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"a\rb", "a\r\nb"},   {"a\r\rb", "a\r\n\r\nb"},           {"a\nb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"}, {"a\r\nb\r\rc", "a\r\nb\r\n\r\nc"}, {"plain", "plain"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExceptionDisplayText(QString::fromLatin1(c.text)), QString::fromLatin1(c.expected)) << c.text;
}

TEST(ErrorReport, TextHasHeaderCodeAndDetails)
{
    const QString report = ErrorReportText(QStringLiteral("7 (7)"), QStringLiteral("[frmMain] , Err.: 7 \r\nTesto"));
    const QStringList lines = report.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0],
              QStringLiteral("  APPLICATION: Mirtavolia (ver. %1.%2)").arg(AppVersionMajor()).arg(AppVersionMinor()));
    EXPECT_EQ(lines[1], QStringLiteral("  COMPUTER NAME: ") + GetComputerNameText());
    EXPECT_EQ(lines[2], QStringLiteral("  WINDOWS USER: ") + GetWindowsUserName());
    EXPECT_EQ(lines[3], QString());
    EXPECT_EQ(lines[4], QStringLiteral("ERROR: 7 (7)[frmMain] , Err.: 7 "));
    EXPECT_EQ(lines[5], QStringLiteral("Testo"));
}

TEST(ErrorReport, SavedFileHasCrLfLineEnds)
{
    const QString path = testenv::newDir(QStringLiteral("report")) + QStringLiteral("/LastError.txt");
    const QString shown = ExceptionDisplayText(QStringLiteral("riga uno\rriga due\r\rfine"));
    QString why;
    ASSERT_TRUE(WriteErrorReportFile(path, ErrorReportText(QStringLiteral("1 (1)"), shown), &why)) << qPrintable(why);
    const QByteArray bytes = readAll(path);
    EXPECT_TRUE(onlyCrLf(bytes));
    EXPECT_TRUE(bytes.endsWith("riga uno\r\nriga due\r\n\r\nfine\r\n"));

    EXPECT_FALSE(WriteErrorReportFile(QStringLiteral("/proc/no/such/LastError.txt"), QStringLiteral("x"), &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(ErrorReport, BrowserPageEscapesTheText)
{
    const QString html = ErrorReportHtml(QStringLiteral("<script>alert('x')</script> & \"ok\"\r\nè"));
    EXPECT_FALSE(html.contains(QStringLiteral("<script>")));
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;script&gt;alert('x')&lt;/script&gt; &amp; &quot;ok&quot;\r\nè")));
    EXPECT_TRUE(html.contains(QStringLiteral("charset=\"utf-8\"")));
}

TEST(ErrorReport, MailLinkEncodesTheWholeBodyAndCutsBetweenCharacters)
{
    const QString prefix = QStringLiteral("mailto:") + QString::fromLatin1(kSupportMailAddress)
        + QStringLiteral("?subject=SUPPORT%20REQUEST&body=");
    const QString shortBody = QStringLiteral("a b\r\n&c=d?è#");
    EXPECT_EQ(SupportMailLink(shortBody), prefix + QStringLiteral("a%20b%0D%0A%26c%3Dd%3F%C3%A8%23"));

    // Bodies whose characters encode to 1, 3 and 6 (or 12, for a character beyond 16 bits)
    // characters; every cut lands on a character boundary at or below the limit.
    const QStringList bodies {QString(3000, u'x'), QString(1000, u' '), QString(1000, QChar(0x00E8)),
                              QString::fromUtf8("\xF0\x9F\x98\x80").repeated(300)};
    for (const QString& body : bodies) {
        for (int max : {2000, 1999, 1998, 1997, 1996}) {
            const QString link = SupportMailLink(body, max);
            EXPECT_LE(link.size(), max);
            EXPECT_GT(link.size(), max - 12);
            const QString encoded = link.mid(prefix.size());
            const QString decoded = QUrl::fromPercentEncoding(encoded.toLatin1());
            EXPECT_TRUE(body.startsWith(decoded)) << max;
            EXPECT_EQ(QString::fromLatin1(QUrl::toPercentEncoding(decoded)), encoded) << max;
        }
    }
}

TEST(ShowErrorDetails, NoShowsNothingAndYesShowsTheReport)
{
    {
        Harness h({QStringLiteral("No")});
        ShowErrorDetails(AppError(kBase + 9, QStringLiteral("Mirtavolia"), QStringLiteral("Guasto")), QString());
        EXPECT_EQ(h.ui->prompts(), QStringList {QStringLiteral("Guasto ...\r\rVisualizzare dettagli ?")});
        EXPECT_TRUE(h.shown.isEmpty());
    }
    {
        Harness h({});   // no answer: the default button, No
        ShowErrorDetails(AppError(kBase + 9, QStringLiteral("Mirtavolia"), QStringLiteral("Guasto")), QString());
        EXPECT_TRUE(h.shown.isEmpty());
    }
    {
        Harness h({QStringLiteral("Yes")});
        ShowErrorDetails(AppError(kBase + 9, QStringLiteral("Mirtavolia"), QStringLiteral("Guasto\rdel disco")),
                         QStringLiteral("Errore in stampa scontrino: "));
        ASSERT_EQ(h.shown.size(), 1);
        EXPECT_EQ(h.shown[0].first, QStringLiteral("9 (9)"));
        EXPECT_EQ(h.shown[0].second, QStringLiteral("Guasto\r\ndel disco\r\n\r\nErrore in stampa scontrino: "));
    }
}

TEST(ShowErrorDetails, TheCurrentErrorOfAHandler)
{
    Harness h({QStringLiteral("Yes"), QStringLiteral("Yes")});
    try {
        RaiseAppError(QStringLiteral("frmVendite"), QStringLiteral("Riga non valida"));
    } catch (...) {
        ShowErrorDetails();
    }
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        ShowErrorDetails(QStringLiteral("Stampa"));
    }
    ASSERT_EQ(h.shown.size(), 2);
    EXPECT_EQ(h.shown[0].first, QStringLiteral("32755 (7FF3)"));
    EXPECT_EQ(h.shown[0].second, QStringLiteral("[frmVendite] \r\nRiga non valida"));
    EXPECT_EQ(h.shown[1].first, QStringLiteral("51 (33)"));
    EXPECT_EQ(h.shown[1].second, QStringLiteral("boom\r\n\r\nStampa"));
    EXPECT_EQ(h.ui->prompts()[0], LibraryMessageText(124) + QStringLiteral("\r\rVisualizzare dettagli ?"));
}

TEST(SavedError, KeptChangedAndRaisedAgain)
{
    try {
        RaiseAppErrorCode(QStringLiteral("clsEllisse"), 3, QStringLiteral("Codice: 3"));
    } catch (...) {
        SaveErrorState();
    }
    SavedError().description += QStringLiteral(" (riprovare)");
    try {
        RaiseSavedError();
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, kBase + 3);
        EXPECT_EQ(e.source, QStringLiteral("Mirtavolia"));
        EXPECT_EQ(e.description, QStringLiteral("[clsEllisse] , Err.: 3 \rCodice: 3 (riprovare)"));
        EXPECT_STREQ(e.what(), "[clsEllisse] , Err.: 3 \rCodice: 3 (riprovare)");
    }
}

TEST(ErrorReportActions, SaveAsksBeforeReplacingAFile)
{
    const QString path = testenv::newDir(QStringLiteral("saveas")) + QStringLiteral("/report.txt");
    {
        Harness h({QStringLiteral("<cancel>")});
        SaveErrorReportAs(QStringLiteral("1 (1)"), QStringLiteral("x"));
        EXPECT_FALSE(QFile::exists(path));
    }
    {
        Harness h({path});
        SaveErrorReportAs(QStringLiteral("1 (1)"), QStringLiteral("primo"));
        EXPECT_TRUE(readAll(path).endsWith("ERROR: 1 (1)primo\r\n"));
        EXPECT_EQ(h.ui->log().size(), 1);   // the save dialog only
    }
    {
        Harness h({path, QStringLiteral("No")});
        SaveErrorReportAs(QStringLiteral("2 (2)"), QStringLiteral("secondo"));
        EXPECT_TRUE(readAll(path).endsWith("primo\r\n"));
        EXPECT_EQ(h.ui->prompts().last(), QStringLiteral("Il file esiste già...\r\rVuoi sostituirlo ?"));
    }
    {
        Harness h({path, QStringLiteral("Yes")});
        SaveErrorReportAs(QStringLiteral("2 (2)"), QStringLiteral("secondo"));
        EXPECT_TRUE(readAll(path).endsWith("ERROR: 2 (2)secondo\r\n"));
    }
    {
        Harness h({QStringLiteral("/proc/none/x.txt")});
        SaveErrorReportAs(QStringLiteral("2 (2)"), QStringLiteral("x"));
        ASSERT_EQ(h.ui->log().size(), 2);
        EXPECT_TRUE(h.ui->log()[1].startsWith(QStringLiteral("MSGBOX: ")));
    }
}

TEST(ErrorReportActions, BrowserAndMailOpenTheirTargets)
{
    Harness h({});
    ShowErrorReportInBrowser(QStringLiteral("<b>non grassetto</b>"));
    MailErrorReport(QStringLiteral("1 (1)"), QStringLiteral("testo"));
    const QString page = ErrorBrowserFilePath();
    EXPECT_TRUE(page.endsWith(QStringLiteral("LastError.htm")));
    EXPECT_TRUE(readAll(page).contains("&lt;b&gt;non grassetto&lt;/b&gt;"));
    ASSERT_EQ(h.ui->log().size(), 2);
    EXPECT_EQ(h.ui->log()[0], QStringLiteral("OPEN: ") + QUrl::fromLocalFile(page).toString());
    EXPECT_TRUE(h.ui->log()[1].startsWith(QStringLiteral("OPEN: mailto:")));
    EXPECT_TRUE(h.ui->log()[1].endsWith(QStringLiteral("ERROR%3A%201%20%281%29testo")));
}

TEST(frmShowExceptionWindow, ControlsAndText)
{
    frmShowException w;
    w.SetException(QStringLiteral("32755 (7FF3)"), QStringLiteral("uno\rdue"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Visualizzazione Errore"));
    auto* code = w.findChild<QLabel*>(QStringLiteral("lblCode"));
    auto* msg = w.findChild<QPlainTextEdit*>(QStringLiteral("txtMsg"));
    ASSERT_TRUE(code && msg);
    EXPECT_EQ(code->text(), QStringLiteral("32755 (7FF3)"));
    EXPECT_TRUE(code->font().fixedPitch() || QFontInfo(code->font()).fixedPitch());
    EXPECT_EQ(msg->toPlainText(), QStringLiteral("uno\ndue"));
    EXPECT_EQ(w.messageText(), QStringLiteral("uno\r\ndue"));
    struct Button {
        const char* text;
        const char* tip;
    };
    const Button buttons[] = {
        {"S&upporto", "Spedisce il messaggio di errore al supporto tramite posta elettronica"},
        {"&Salva", "Salva il messaggio di errore in un file di testo"},
        {"&Browser", "Visualizza il messaggio nel Browser HTML predefinito"},
        {"&Esci", ""},
    };
    const auto all = w.findChildren<QPushButton*>();
    for (const Button& b : buttons) {
        auto it = std::find_if(all.begin(), all.end(),
                               [&](QPushButton* p) { return p->text() == QString::fromUtf8(b.text); });
        ASSERT_NE(it, all.end()) << b.text;
        EXPECT_EQ((*it)->toolTip(), QString::fromUtf8(b.tip)) << b.text;
    }
}

TEST(QtDialogs, FilterAndMessageForms)
{
    EXPECT_EQ(QtFileFilter(QStringLiteral("Testo|*.txt")), QStringLiteral("Testo (*.txt)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("VB Script|*.vbs|Tutti|*.*")),
              QStringLiteral("VB Script (*.vbs);;Tutti (*.*)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Immagini (*.png *.jpg)")), QStringLiteral("Immagini (*.png *.jpg)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Immagini|*.png;*.jpg")), QStringLiteral("Immagini (*.png *.jpg)"));
    EXPECT_EQ(QtMessageText(QStringLiteral("a\rb\r\nc\r\rd")), QStringLiteral("a\nb\nc\n\nd"));
}

}   // namespace

namespace {

TEST(EventErrors, AnErrorEscapingAHandlerIsReportedNotFatal)
{
    Harness h({QStringLiteral("Yes")});
    EXPECT_TRUE(DeliverReportingErrors([] { return true; }));
    EXPECT_FALSE(DeliverReportingErrors(
        []() -> bool { RaiseAppErrorCode(QStringLiteral("frmMain"), 4, QStringLiteral("Pulsante")); }));
    ASSERT_EQ(h.shown.size(), 1);
    EXPECT_EQ(h.shown[0].first, QStringLiteral("4 (4)"));
    // A presenter that fails is swallowed too: nothing leaves the event loop.
    setErrorWindowPresenter([](const QString&, const QString&) { throw std::runtime_error("window"); });
    h.ui->addAnswer(QStringLiteral("Yes"));
    EXPECT_FALSE(DeliverReportingErrors([]() -> bool { throw std::logic_error("x"); }));
}

}   // namespace
