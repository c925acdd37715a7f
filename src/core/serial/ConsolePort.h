#pragma once
// The port of a device's test console: opened with the technician's own settings rather
// than the device's stored ones, and emptied of whatever came before.
#include <QString>

class SerialChannel;

struct ConsolePortSettings {
    QString port;   // the port number as typed
    QString params;   // "9600,E,7,1"
    bool dtr = false;
    bool rts = false;
    bool handshakeRts = false;
};

// Closes the channel when it is open; with `open`, opens it on COM `portNumber` with the
// settings' parameters and lines. A port left open has its input emptied. Raises the
// port's AppError.
void OpenConsolePort(SerialChannel& channel, bool open, int portNumber, const ConsolePortSettings& settings);
