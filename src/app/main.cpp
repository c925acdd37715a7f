// The program's entry point. Until the main window exists it loads the configuration and
// shows a plain window with the program's title.
#include "Configuration.h"
#include "ErrorReporting.h"
#include "MirtavoliaApplication.h"
#include "QtUiServices.h"

#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    MirtavoliaApplication app(argc, argv);
    InstallUiServices();
    try {
        LoadConfiguration();
    } catch (...) {
        ShowErrorDetails(QStringLiteral("Errore in caricamento configurazione: "));
    }

    QMainWindow window;
    window.setWindowTitle(QString::fromLatin1(kAppTitle));
    auto* label = new QLabel(QString::fromLatin1(kAppTitle), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(640, 480);
    window.show();
    return app.exec();
}
