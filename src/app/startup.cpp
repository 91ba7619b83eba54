#include "app/startup.h"

#include "app/mainwindow.h"
#include "dialogs/qtoperator.h"
#include "dialogs/session.h"
#include "dialogs/uitext.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QTranslator>
#include <exception>
#include <map>
#include <string>

namespace {
// The platform's style, with the menu bar reached by Alt alone and the accelerators underlined,
// as on Windows, whatever the style's own habit.
class MenuKeysStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation || hint == SH_UnderlineShortcut)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    // A menu bar title chosen from the keyboard (or under the mouse) is shown as chosen: some
    // styles mark it only while its menu is open.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuBarItem && (option->state & State_Selected)) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem chosen(*item);
                chosen.state |= State_Sunken;
                QProxyStyle::drawControl(element, &chosen, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};
} // namespace

LumApplication::LumApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setStyle(new MenuKeysStyle(QStyleFactory::create(style()->name())));
    // One family in every window, the scheme's; each window keeps its own size.
    QFont font = QApplication::font();
    font.setFamilies(ProgramFontFamilies() + font.families());
    QApplication::setFont(font);
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

int RunProgram(QApplication& app, const QString& file) {
    // The session outlives every window, the main window included.
    Session session;
    MainWindow main(session);
    main.RememberLineSettings();
    main.OpenAtStart(file);
    main.show();
    return app.exec();
}
