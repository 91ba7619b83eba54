#pragma once
// QSerialPort wants an application object for its socket notifiers; GoogleTest executables
// have none. The first call creates one that lives until the process ends.

class QCoreApplication;

QCoreApplication& EnsureCoreApplication();
