#include "dialogs/differencesdialog.h"

#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/operator.h"
#include "platform/filestore.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

DifferencesDialog::DifferencesDialog(WindowContext& main, const QString& heading,
                                     const std::vector<std::string>& lines, QWidget* parent,
                                     bool confirm)
    : LumDialog(parent), main_(main) {
    setWindowTitle(U("Различия"));
    auto* v = new QVBoxLayout(this);
    Heading = new QLabel(heading, this);
    Heading->setWordWrap(true);
    List = new QListWidget(this);
    for (const std::string& line : lines)
        List->addItem(U(line));
    List->setMinimumSize(560, 260);
    v->addWidget(Heading);
    v->addWidget(List);
    auto* h = new QHBoxLayout;
    Copy = new QPushButton(U("Копировать"), this);
    Save = new QPushButton(U("Сохранить..."), this);
    OK = new QPushButton(confirm ? U("Записать") : QString("OK"), this);
    h->addWidget(Copy);
    h->addWidget(Save);
    h->addStretch();
    h->addWidget(OK);
    if (confirm) {
        Cancel = new QPushButton(U("Отмена"), this);
        h->addWidget(Cancel);
        connect(Cancel, &QPushButton::clicked, this, [this] { CloseWith(mr::Cancel); });
    }
    v->addLayout(h);
    // Enter closes the list and never writes; copying is asked for by its own button.
    (confirm ? Cancel : OK)->setDefault(true);
    connect(Copy, &QPushButton::clicked, this, [this] { CopyClick(); });
    connect(Save, &QPushButton::clicked, this, [this] { SaveClick(); });
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Ok); });
}

QString DifferencesDialog::Text() const {
    QString text = Heading->text() + "\n";
    for (int i = 0; i < List->count(); ++i)
        text += List->item(i)->text() + "\n";
    return text;
}

void DifferencesDialog::CopyClick() {
    QApplication::clipboard()->setText(Text());
}

void DifferencesDialog::SaveClick() {
    SaveTextFile(main_, U("Сохранение списка различий"), U("различия.txt"), Text().toStdString(),
                 "Список различий");
}

void SaveTextFile(WindowContext& main, const QString& title, const QString& fileName,
                  const std::string& text, const std::string& what, QWidget* parent) {
    const QString name = main.AskFileName(
        {true, title, fileName, U("Текстовые файлы (*.txt);;Все файлы (*)"), "txt", false, parent});
    if (name.isEmpty())
        return;
    QString error;
    if (!ReplaceFileAtomically(name, std::vector<uint8_t>(text.begin(), text.end()), &error))
        main.Op().Tell(what + " не удается сохранить в файл " + name.toStdString() +
                           (error.isEmpty() ? std::string() : " (" + error.toStdString() + ")") +
                           ". Выберите другую папку или имя файла.",
                       "Ошибка", MsgIcon::Error);
}

void ShowDifferences(WindowContext& main, const QString& heading,
                     const std::vector<std::string>& lines) {
    DifferencesDialog window(main, heading, lines, dynamic_cast<QWidget*>(&main));
    main.showModal(window);
}

bool ConfirmChanges(WindowContext& main, const QString& heading,
                    const std::vector<std::string>& lines) {
    DifferencesDialog window(main, heading, lines, dynamic_cast<QWidget*>(&main), true);
    window.setWindowTitle(U("Изменения перед записью"));
    return main.showModal(window) == mr::Ok;
}
