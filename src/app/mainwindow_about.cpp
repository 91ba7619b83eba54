// "Справка" → "О программе": what an operator quotes when asking for help.

#include "app/mainwindow.h"

#include "platform/qtserialline.h"
#include "version/version.h"

void MainWindow::AboutClick() {
    const std::string text = std::string("Программатор ЛУМ-08\n\nВерсия: ") + LumVersion() +
                             "\nДата сборки: " + LumBuildDate() +
                             "\nОбмен с COM-портом: " + QtSerialLine::TransferPathName();
    op_->Tell(text, "О программе", MsgIcon::Information);
}
