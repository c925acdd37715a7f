#pragma once
// The completions of a card operation started without waiting. A driver holds the object
// it got from NewSession and calls the Raise methods from its serial handler; the card
// dialog connects to the signals and acts on them later, from its own timer, so that no
// work runs inside the driver's handler.
#include <QObject>
#include <QString>

class clsMagneticCardEvents : public QObject {
    Q_OBJECT
public:
    explicit clsMagneticCardEvents(QObject* parent = nullptr) : QObject(parent) { }

    void RaiseReadComplete(bool success, const QString& data1, const QString& data2, const QString& status)
    {
        emit OnReadComplete(success, data1, data2, status);
    }
    void RaiseWriteComplete(bool success, const QString& status) { emit OnWriteComplete(success, status); }
    void RaiseEraseComplete(bool success, const QString& status) { emit OnEraseComplete(success, status); }

signals:
    // Data1 and Data2 are what the read found, whatever `success` says.
    void OnReadComplete(bool success, const QString& data1, const QString& data2, const QString& status);
    void OnWriteComplete(bool success, const QString& status);
    void OnEraseComplete(bool success, const QString& status);
};
