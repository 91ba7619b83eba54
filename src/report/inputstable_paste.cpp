// Labels pasted from the clipboard, one a line (a column copied from a spreadsheet or a text
// editor), into consecutive inputs from the current row on.

#include "report/inputstable.h"

#include "dialogs/cp1251.h"
#include "dialogs/windowcontext.h"
#include "model/edithistory.h"
#include "model/moduleconfig.h"
#include "model/operator.h"

#include <QTableWidget>

namespace {
QStringList PastedLines(const QString& text) {
    QString plain = text;
    plain.replace("\r\n", "\n").replace('\r', '\n');
    QStringList lines = plain.split('\n');
    // The line break after the last line is no empty label.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        // Cells of a spreadsheet row are joined by blanks; trailing blanks are padding anyway.
        line.replace('\t', ' ');
        while (line.endsWith(' '))
            line.chop(1);
    }
    return lines;
}

std::string NumberList(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers)
        text += (text.empty() ? "" : ", ") + std::to_string(n);
    return text;
}
} // namespace

void InputsTableWindow::PasteLabels(const QString& text) {
    const QStringList lines = PastedLines(text);
    const int n = InputCount();
    const int first = std::max(inputsGrid->currentRow(), 0);
    Operator& op = main_.Op();
    if (lines.isEmpty()) {
        op.Tell("В буфере обмена нет текста.\nСкопируйте тексты, по одному в строке.",
                "Вставка текстов", MsgIcon::Warning);
        return;
    }
    if (first >= n) {
        WarnWrongNumber();
        return;
    }
    const int count = std::min(int(lines.size()), n - first);
    std::vector<int> cut;
    main_.Document().Edit("Входы " + std::to_string(first + 1) + "–" +
                              std::to_string(first + count) + ": тексты из буфера обмена",
                          [&] {
                              ModuleConfig& moduleConfig = main_.Modules();
                              for (int k = 0; k < count; ++k) {
                                  const QString& line = lines[k];
                                  if (line.size() > ModuleConfig::LabelLength)
                                      cut.push_back(first + k + 1);
                                  moduleConfig.PutLabel(
                                      ToCp1251(line.left(ModuleConfig::LabelLength)), first + k);
                              }
                          });
    main_.Settings().labelsPasted = true;
    RefreshLabels();
    inputsGrid->setCurrentCell(first + count - 1, ColText);
    std::string notes;
    if (!cut.empty())
        notes += "Тексты длиннее 14 знаков обрезаны: входы " + NumberList(cut) + ".";
    if (int(lines.size()) > count)
        notes += std::string(notes.empty() ? "" : "\n") + "Строк больше, чем входов до конца " +
                 "таблицы: не вставлено строк: " + std::to_string(int(lines.size()) - count) + ".";
    if (!notes.empty())
        op.Tell("Вставлено текстов: " + std::to_string(count) + " (входы " +
                    std::to_string(first + 1) + "–" + std::to_string(first + count) + ").\n" +
                    notes,
                "Вставка текстов", MsgIcon::Warning);
}
