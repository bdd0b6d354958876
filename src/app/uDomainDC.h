// The small window that shows the workstation's domain and the domain
// controller the directory is read from.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

class DesktopServices;

class TfrmDomainDC : public QDialog {
    Q_OBJECT

public:
    explicit TfrmDomainDC(QWidget* parent = nullptr);

    QLineEdit* ledtDomainName = nullptr;
    QLineEdit* ledtDCName = nullptr;
    QPushButton* bbtClose = nullptr;

protected:
    // Escape closes the window wherever the focus is.
    void keyPressEvent(QKeyEvent* event) override;
};

// Shows the two names exactly as given; returns when the window is closed.
void ShowDomainDC(QWidget* parent, const QString& domainName,
                  const QString& dcName);

// The window as ShowDomainDC fills it, not yet shown: for tests.
std::unique_ptr<TfrmDomainDC> MakeDomainDC(QWidget* parent, const QString& domainName,
                                           const QString& dcName);
