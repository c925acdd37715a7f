#pragma once
// The shared windows as the core's rules reach them (DialogServices): the progress window
// (frmMessage), the folder chooser (frmSelectDir), a read-only table of rows, the error
// report window (frmShowException, when the Qt dialogs are in use) and the closing of every
// window. Installed at start by the program, the developer's tool and the tests.
void InstallDialogServices();
