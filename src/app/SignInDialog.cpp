#include "SignInDialog.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "DirectorySession.h"
#include "Icons.h"
#include "SambaBackend.h"
#include "StatusText.h"

SignInDialog::SignInDialog(DirectorySession& session, const QString& domain, const QString& user,
                           const QString& message, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("frmSignIn"));
    setWindowTitle(QApplication::applicationDisplayName() + QStringLiteral(": sign in"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("Sign in to the domain whose users and groups you want to read."), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    edtDomain = new QLineEdit(domain, this);
    edtDomain->setObjectName(QStringLiteral("edtDomain"));
    edtDomain->setPlaceholderText(QStringLiteral("EXAMPLE or example.com"));
    edtUser = new QLineEdit(user, this);
    edtUser->setObjectName(QStringLiteral("edtUser"));
    edtPassword = new QLineEdit(this);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));
    edtPassword->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("&Domain:"), edtDomain);
    form->addRow(QStringLiteral("&User:"), edtUser);
    form->addRow(QStringLiteral("&Password:"), edtPassword);
    layout->addLayout(form);
    chkKerberos = new QCheckBox(QStringLiteral("Use my &Kerberos ticket"), this);
    chkKerberos->setObjectName(QStringLiteral("chkKerberos"));
    layout->addWidget(chkKerberos);
    lblMessage = new QLabel(message, this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    QPalette p = lblMessage->palette();
    p.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
    lblMessage->setPalette(p);
    layout->addWidget(lblMessage);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bbtSignIn = new QPushButton(themedIcon("dialog-ok", QStyle::SP_DialogOkButton),
                                QStringLiteral("&Sign in"), this);
    bbtSignIn->setObjectName(QStringLiteral("bbtSignIn"));
    bbtSignIn->setDefault(true);
    bbtCancel = new QPushButton(themedIcon("dialog-cancel", QStyle::SP_DialogCancelButton),
                                QStringLiteral("Cancel"), this);
    bbtCancel->setObjectName(QStringLiteral("bbtCancel"));
    buttons->addWidget(bbtSignIn);
    buttons->addWidget(bbtCancel);
    layout->addLayout(buttons);
    connect(chkKerberos, &QCheckBox::toggled, this, &SignInDialog::kindChanged);
    connect(bbtSignIn, &QPushButton::clicked, this, [this] {
        if (trySignIn()) {
            accept();
        }
    });
    connect(bbtCancel, &QPushButton::clicked, this, &QDialog::reject);
    (user.isEmpty() ? edtUser : edtPassword)->setFocus();
    setMinimumWidth(380);
}

void SignInDialog::kindChanged() {
    const bool ticket = chkKerberos->isChecked();
    edtUser->setEnabled(!ticket);
    edtPassword->setEnabled(!ticket);
}

bool SignInDialog::trySignIn() {
    SambaCredentials c;
    c.domain = edtDomain->text().trimmed().toStdString();
    if (chkKerberos->isChecked()) {
        c.useKerberos = true;
    } else {
        std::string why;
        auto parsed = ParseUserOption(edtUser->text().trimmed().toStdString(), why);
        if (!parsed) {
            lblMessage->setText(QStringLiteral("Type the name of the account to sign in with."));
            return false;
        }
        c.user = parsed->user;
        if (!parsed->domain.empty()) {
            c.domain = parsed->domain;
        }
        c.password = edtPassword->text().toStdString();
    }
    QString error;
    if (!m_session.reopenSamba(c, error)) {
        lblMessage->setText(error);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string detail;
    const uint32_t status = m_session.samba()->checkLogon(detail);
    QApplication::restoreOverrideCursor();
    if (status == net::Success) {
        return true;
    }
    lblMessage->setText(QString::fromStdU16String(StatusText(status)));
    edtPassword->selectAll();
    edtPassword->setFocus();
    return false;
}

bool SignIn(DirectorySession& session, bool askFirst, QWidget* parent) {
    SambaBackend* samba = session.samba();
    if (!samba) {
        return true;
    }
    QString message;
    if (!askFirst) {
        std::string detail;
        const uint32_t status = samba->checkLogon(detail);
        if (status == net::Success) {
            return true;
        }
        message = QString::fromStdU16String(StatusText(status));
    }
    const auto& c = session.credentials();
    QString domain = c ? QString::fromStdString(c->domain) : QString();
    if (domain.isEmpty()) {
        domain = QString::fromStdString(samba->flatDomain());
    }
    const QString user = c ? QString::fromStdString(c->user) : QString();
    SignInDialog dialog(session, domain, user, message, parent);
    return dialog.exec() == QDialog::Accepted;
}
