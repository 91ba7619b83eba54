#include "app/startup.h"

#include "app/obr_lum08.h"
#include "app/obrconfig.h"
#include "app/obrpar_mb.h"
#include "clock/prog_timedate.h"
#include "dialogs/obrsign_mb.h"
#include "dialogs/obrtext_mb.h"
#include "dialogs/obrvh_mb.h"
#include "dialogs/obrza_mb.h"
#include "dialogs/qtoperator.h"
#include "link/obrnastr.h"
#include "link/obrport.h"
#include "network/prog_f15.h"
#include "network/prog_lnet.h"
#include "report/obrinform.h"
#include "scheme/prog_diskr.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <exception>
#include <map>
#include <string>

LumApplication::LumApplication(int& argc, char** argv) : QApplication(argc, argv) {
    display_ = [](const QString& text) {
        QMessageBox::critical(nullptr, QString::fromUtf8("Ошибка"), text);
    };
    LoadToolkitTranslations(*this);
}

namespace {
// Texts of the toolkit that its Russian catalogue lacks (Qt 6.4 moved them to a new context);
// everything else falls through to the catalogue.
class ToolkitGaps : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* = nullptr,
                      int = -1) const override {
        static const std::map<std::pair<std::string, std::string>, const char*> texts = {
            {{"QAbstractFileIconProvider", "Drive"}, "Диск"},
            {{"QAbstractFileIconProvider", "Folder"}, "Папка"},
            {{"QAbstractFileIconProvider", "Alias"}, "Ссылка"},
            {{"QAbstractFileIconProvider", "Unknown"}, "Неизвестно"},
        };
        const auto found = texts.find({context ? context : "", source ? source : ""});
        return found == texts.end() ? QString() : QString::fromUtf8(found->second);
    }
};
} // namespace

bool LoadToolkitTranslations(QCoreApplication& app) {
    // The interface is Russian whatever the machine's language: the toolkit's own dialogs
    // (files, printing, message-box buttons) too, and their dates and sizes.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto* translator = new QTranslator(&app);
    // Debian installs them with the toolkit; a Windows installation carries them beside the
    // program.
    const QStringList places = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath("translations")};
    for (const QString& place : places)
        if (translator->load(russian, "qtbase", "_", place)) {
            // Installed last, asked first.
            return QCoreApplication::installTranslator(translator) &&
                   QCoreApplication::installTranslator(new ToolkitGaps(&app));
        }
    delete translator;
    return false;
}

bool LumApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        display_(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        display_(QString::fromUtf8("Непредвиденная ошибка"));
    }
    return false;
}

void CreateWindows(TForm1& main) {
    LumWindows& w = main.Windows();
    w.FPSW = new TFPSW(main, &main);
    w.Config = new TConfig(main, &main);
    w.FormPrgD = new TFormPrgD(main, &main);
    w.FormNastr = new TFormNastr(main.ComPort(), &main);
    w.FormPort = new TFormPort(main, &main);
    w.FormSig = new TFormSig(main, &main);
    w.FormText = new TFormText(main, &main);
    w.FormVh = new TFormVh(main, &main);
    w.FormZa = new TFormZa(main, &main);
    w.FormLNet = new TFormLNet(main, &main);
    w.Inform = new TInform(main, &main);
    w.FormTimeDate = new TFormTimeDate(main, &main);
    w.FormF15 = new TFormF15(main, &main);
}

int RunProgram(QApplication& app) {
    TForm1 main;
    CreateWindows(main);
    main.show();
    return app.exec();
}
