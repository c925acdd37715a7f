// The answer lines that fill a window's controls in a headless run: each kind of control
// set as a person would set it, and every refusal told before anything after it is set.
#include "dialogs/AnswerControls.h"
#include "WindowsTestSupport.h"
#include <QCheckBox>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
class AnswerControlsTest : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        auto* layout = new QVBoxLayout(&window);
        auto add = [&](QWidget* w, const char* name) {
            w->setObjectName(QString::fromLatin1(name));
            layout->addWidget(w);
        };
        add(list = new QComboBox, "cboPort");
        list->addItems({QStringLiteral("[nessuno]"), QStringLiteral("COM1"), QStringLiteral("COM2")});
        add(editable = new QComboBox, "txtParam");
        editable->setEditable(true);
        editable->addItems({QStringLiteral("9600,n,8,1")});
        add(box = new QLineEdit, "txtWait");
        box->setValidator(new QIntValidator(0, 99999, box));
        box->setMaxLength(5);
        add(name = new QLineEdit(QStringLiteral("Negozio")), "txtName");
        add(fixed = new QLineEdit(QStringLiteral("01/03/2007")), "txtDate");
        fixed->setReadOnly(true);
        add(tick = new QCheckBox(QStringLiteral("Invia")), "chkSend");
        add(first = new QRadioButton(QStringLiteral("Dati")), "optData");
        add(second = new QRadioButton(QStringLiteral("Tutto")), "optAll");
        first->setChecked(true);
        add(off = new QLineEdit, "txtOff");
        off->setEnabled(false);
        add(new QPlainTextEdit, "txtScript");
        add(ok = new QPushButton(QStringLiteral("&OK")), "cmdOK");
        add(test = new QPushButton(QStringLiteral("Leggi &Articoli")), "cmdRead");
    }
    QString state() const
    {
        return QStringList {list->currentText(),
                            editable->currentText(),
                            box->text(),
                            name->text(),
                            tick->isChecked() ? QStringLiteral("1") : QStringLiteral("0"),
                            second->isChecked() ? QStringLiteral("optAll") : QStringLiteral("optData")}
            .join(u'|');
    }

    QWidget window;
    QComboBox* list = nullptr;
    QComboBox* editable = nullptr;
    QLineEdit* box = nullptr;
    QLineEdit* name = nullptr;
    QLineEdit* fixed = nullptr;
    QCheckBox* tick = nullptr;
    QRadioButton* first = nullptr;
    QRadioButton* second = nullptr;
    QLineEdit* off = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* test = nullptr;
};
}   // namespace

TEST_F(AnswerControlsTest, EachControlIsSetAsAPersonWouldAndARefusalStopsThePairsAfterIt)
{
    const QString untouched = QStringLiteral("[nessuno]|9600,n,8,1||Negozio|0|optData");
    struct Case {
        const char* line;
        bool filled;
        const char* state;   // what the controls hold afterwards, empty for `untouched`
        const char* message;   // the refusal, if any
    };
    const Case cases[] = {
        {"OK", true, "", nullptr},
        {"OK\tcboPort=com2\ttxtParam=4800,e,7,2\ttxtWait=250\ttxtName=\tchkSend=True\toptAll=1", true,
         "COM2|4800,e,7,2|250||1|optAll", nullptr},
        {"OK\tchkSend=1\tcboPort=COM9\ttxtWait=1", false, "[nessuno]|9600,n,8,1||Negozio|1|optData",
         "\"COM9\" non è tra le scelte di \"cboPort\"."},
        {"OK\ttxtWait=12a", false, "", "\"12a\" non è un valore valido per \"txtWait\"."},
        {"OK\ttxtWait=123456", false, "", "\"123456\" non è un valore valido per \"txtWait\"."},
        {"OK\tchkSend=forse", false, "", "\"forse\" non è un valore valido per \"chkSend\"."},
        {"OK\toptData=0", false, "", "\"0\" non è un valore valido per \"optData\"."},
        {"OK\ttxtDate=02/03/2007", false, "", "Il campo \"txtDate\" non è modificabile."},
        {"OK\ttxtOff=1", false, "", "Il campo \"txtOff\" non è modificabile."},
        {"OK\ttxtScript=x", false, "", "Il campo \"txtScript\" non si imposta da una risposta."},
        {"OK\tcboPorta=COM1", false, "", "La finestra non ha il campo \"cboPorta\"."},
        {"OK\tCOM1", false, "", "\"COM1\" non è nella forma campo=valore."},
        {"OK\t=COM1", false, "", "\"=COM1\" non è nella forma campo=valore."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        list->setCurrentIndex(0);
        editable->setCurrentText(QStringLiteral("9600,n,8,1"));
        box->clear();
        name->setText(QStringLiteral("Negozio"));
        tick->setChecked(false);
        first->setChecked(true);
        ui->clearLog();
        EXPECT_EQ(answers::FillControls(window, QString::fromUtf8(c.line)), c.filled);
        EXPECT_EQ(state(), *c.state ? QString::fromUtf8(c.state) : untouched);
        EXPECT_EQ(ui->prompts(), c.message ? QStringList {QString::fromUtf8(c.message)} : QStringList());
    }
}

TEST_F(AnswerControlsTest, TheFirstFieldNamesTheButtonByItsCaption)
{
    int pressed = 0;
    QObject::connect(test, &QPushButton::clicked, [&] { ++pressed; });
    EXPECT_EQ(answers::Command(QStringLiteral("  Leggi articoli \tcboPort=COM1")), QStringLiteral("Leggi articoli"));
    EXPECT_TRUE(answers::IsCommand(QStringLiteral("ok"), QStringLiteral("OK")));
    EXPECT_FALSE(answers::IsCommand(QStringLiteral("OKAY"), QStringLiteral("OK")));
    EXPECT_EQ(answers::Button(window, QStringLiteral("ok")), ok);
    EXPECT_EQ(answers::Button(window, QStringLiteral("leggi articoli\ttxtWait=1")), test);
    EXPECT_EQ(answers::Button(window, QStringLiteral("Esci")), nullptr);
    EXPECT_EQ(answers::Button(window, QString()), nullptr);

    EXPECT_TRUE(answers::Press(*test));
    test->setEnabled(false);
    EXPECT_FALSE(answers::Press(*test));
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(ui->prompts(), QStringList {QStringLiteral("Il pulsante \"Leggi Articoli\" non è attivo.")});
}

TEST_F(AnswerControlsTest, TheControlsAnAnswerCanSetAreListedWithTheirValuesAndChoices)
{
    tick->setChecked(true);
    EXPECT_EQ(
        answers::Controls(window),
        (QStringList {QStringLiteral("cboPort=[nessuno]\tlist: [nessuno] | COM1 | COM2"),
                      QStringLiteral("txtParam=9600,n,8,1\teditable list: 9600,n,8,1"), QStringLiteral("txtWait=\tbox"),
                      QStringLiteral("txtName=Negozio\tbox"), QStringLiteral("txtDate=01/03/2007\tbox, read-only"),
                      QStringLiteral("chkSend=1\ttick box"), QStringLiteral("optData=1\toption"),
                      QStringLiteral("optAll=0\toption"), QStringLiteral("txtOff=\tbox, disabled")}));
}
