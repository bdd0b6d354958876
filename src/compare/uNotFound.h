// The names of a name list file that matched no entry, in an editable memo
// the user can copy to the clipboard (to mend them, or to pass them on).
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <memory>

class MainServices;

class TfrmNotFound : public QDialog {
    Q_OBJECT

public:
    explicit TfrmNotFound(MainServices& main, QWidget* parent = nullptr);

    // The memo's text as it stands, lines separated by CR LF.
    QString memoText() const;

    QPlainTextEdit* memNotFound = nullptr;
    QPushButton* bbtCopyClipboard = nullptr;
    QPushButton* BitBtn1 = nullptr;

public slots:
    void bbtCopyClipboardClick();
    void BitBtn1Click();

protected:
    // Escape does not close this one: the user may be editing the names.
    void keyPressEvent(QKeyEvent* event) override;

private:
    MainServices& m_main;
};

// The dialog as ShowNotFound fills it, not yet shown: for tests.
std::unique_ptr<TfrmNotFound> MakeNotFound(MainServices& main, const QStringList& names);

// Shows the names one per line; returns when the dialog is closed.
void ShowNotFound(MainServices& main, const QStringList& names);
