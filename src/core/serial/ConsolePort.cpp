#include "ConsolePort.h"
#include "SerialChannel.h"
#include "SerialLines.h"

void OpenConsolePort(SerialChannel& channel, bool open, int portNumber, const ConsolePortSettings& s)
{
    if (channel.isOpen()) channel.close();
    if (open) {
        channel.setPortNumber(portNumber);
        channel.setSettings(s.params);
        channel.setFlowControl(s.handshakeRts ? SerialFlowControl::Hardware : SerialFlowControl::None);
        channel.setDtrEnable(s.dtr);
        channel.setRtsEnable(s.rts);
        channel.open();
    }
    // A closed port has no input to empty.
    if (channel.isOpen()) ClearCommInput(channel);
}
