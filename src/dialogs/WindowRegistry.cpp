#include "WindowRegistry.h"
#include "base/FileOps.h"
#include <QBuffer>
#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <map>

namespace {
std::map<QString, windows::Factory>& factories()
{
    static std::map<QString, windows::Factory> f;
    return f;
}
}

bool windows::registerWindow(const QString& className, Factory factory)
{
    factories()[className] = std::move(factory);
    return true;
}

std::unique_ptr<QWidget> windows::create(const QString& className)
{
    auto it = factories().find(className);
    if (it == factories().end()) return nullptr;
    return it->second();
}

QStringList windows::names()
{
    QStringList out;
    for (const auto& [name, f] : factories()) out << name;
    return out;
}

bool windows::renderToFile(QWidget& window, const QString& pngPath, QString* error)
{
    // Showing lays the window out exactly as the user would first see it; offscreen nothing
    // appears on a real screen.
    if (window.size().isEmpty() || !window.testAttribute(Qt::WA_Resized)) window.adjustSize();
    window.show();
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    const QPixmap picture = window.grab();
    window.hide();
    if (picture.isNull()) {
        if (error) *error = QStringLiteral("the window rendered nothing");
        return false;
    }
    // Encoded in memory, then written in one checked write.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        if (error) *error = QStringLiteral("Impossibile comporre l'immagine di ") + window.objectName();
        return false;
    }
    if (!fileOps().writeFile(pngPath, png)) {
        if (error)
            *error = QStringLiteral("Impossibile scrivere il file < %1 >: %2").arg(pngPath, fileOps().lastError());
        return false;
    }
    return true;
}
