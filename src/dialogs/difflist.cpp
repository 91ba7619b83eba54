#include "dialogs/difflist.h"

#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "link/filestore.h"
#include "model/operator.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TFormDiff::TFormDiff(LumMain& main, const QString& heading, const std::vector<std::string>& lines,
                     QWidget* parent)
    : TLumDialog(parent), main_(main) {
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
    OK = new QPushButton("OK", this);
    h->addWidget(Copy);
    h->addWidget(Save);
    h->addStretch();
    h->addWidget(OK);
    v->addLayout(h);
    connect(Copy, &QPushButton::clicked, this, [this] { CopyClick(); });
    connect(Save, &QPushButton::clicked, this, [this] { SaveClick(); });
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Ok); });
}

QString TFormDiff::Text() const {
    QString text = Heading->text() + "\n";
    for (int i = 0; i < List->count(); ++i)
        text += List->item(i)->text() + "\n";
    return text;
}

void TFormDiff::CopyClick() {
    QApplication::clipboard()->setText(Text());
}

void TFormDiff::SaveClick() {
    SaveTextFile(main_, U("Сохранение списка различий"), U("различия.txt"), Text().toStdString(),
                 "Список различий");
}

void SaveTextFile(LumMain& main, const QString& title, const QString& fileName,
                  const std::string& text, const std::string& what) {
    const QString name = main.AskFileName(
        {true, title, fileName, U("Текстовые файлы (*.txt);;Все файлы (*)"), "txt"});
    if (name.isEmpty())
        return;
    QString error;
    if (!ReplaceFileAtomically(name, std::vector<uint8_t>(text.begin(), text.end()), &error))
        main.Op().Tell(what + " не удается сохранить в файл " + name.toStdString() +
                           (error.isEmpty() ? std::string() : " (" + error.toStdString() + ")") +
                           ". Выберите другую папку или имя файла.",
                       "Ошибка", MsgIcon::Error);
}

void ShowDifferences(LumMain& main, const QString& heading, const std::vector<std::string>& lines) {
    TFormDiff window(main, heading, lines, dynamic_cast<QWidget*>(&main));
    main.showModal(window);
}
