#pragma once
// "Руководство оператора": the operator's guide, an HTML page with the program's pictures that
// is compiled into the program, shown without a browser and without a network.

#include <QWidget>

class QTextBrowser;
class QToolButton;

class GuideWindow : public QWidget {
    Q_OBJECT
public:
    explicit GuideWindow(QWidget* parent = nullptr);

    // Shows the guide at a section ("scheme", "inputs", ...; empty: its beginning).
    void ShowSection(const QString& section);
    // The section about a window, by the window's class; empty for a window without one.
    static QString SectionFor(const QWidget* window);
    // The guide's address inside the program.
    static QString Source();

    QTextBrowser* browser = nullptr;
    QToolButton* contentsButton = nullptr;
    QToolButton* backButton = nullptr;
    QToolButton* forwardButton = nullptr;
};
