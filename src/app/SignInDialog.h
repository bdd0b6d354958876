// Asks for the account to read the domain with, when there is no Kerberos
// ticket or authentication file to sign in with: domain, user and password,
// or the user's Kerberos ticket. It tries the logon itself and says in
// words why one failed, so the user can correct it and try again.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class DirectorySession;

class SignInDialog : public QDialog {
    Q_OBJECT

public:
    // message: why a first attempt failed, shown at once (may be empty).
    SignInDialog(DirectorySession& session, const QString& domain, const QString& user,
                 const QString& message, QWidget* parent = nullptr);

    // Tries the logon with what the dialog holds; true when it worked (the
    // session then reads with that account), otherwise the reason shows.
    bool trySignIn();

    QLineEdit* edtDomain = nullptr;
    QLineEdit* edtUser = nullptr;
    QLineEdit* edtPassword = nullptr;
    QCheckBox* chkKerberos = nullptr;
    QLabel* lblMessage = nullptr;
    QPushButton* bbtSignIn = nullptr;
    QPushButton* bbtCancel = nullptr;

private:
    void kindChanged();

    DirectorySession& m_session;
};

// Signs the session in before the start-up load: with the options' account
// when that works, otherwise through the dialog. False when the user
// cancelled (the program then ends).
bool SignIn(DirectorySession& session, bool askFirst, QWidget* parent = nullptr);
