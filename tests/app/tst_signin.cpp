// The sign-in dialog against the live test domain controller: it tries the
// logon it was given and says in words why one failed.

#include <QtTest>

#include "DirectorySession.h"
#include "SambaBackend.h"
#include "SignInDialog.h"
#include "TestDc.h"

class TestSignIn : public QObject {
    Q_OBJECT

    std::unique_ptr<DirectorySession> session;

private slots:
    void initTestCase() {
        QString error;
        if (!loadTestDc(error)) {
            QFAIL(qPrintable(error));
        }
        kdestroy();
        DirectoryOptions options;
        session = DirectorySession::open(options, error);
        QVERIFY2(session, qPrintable(error));
        QVERIFY(session->samba());
    }
    void cleanupTestCase() { session.reset(); }

    void failuresInWordsThenSuccess() {
        SignInDialog d(*session, "ZENTORY", "asmith", QString());
        QCOMPARE(d.edtDomain->text(), QString("ZENTORY"));
        QVERIFY(d.edtPassword->echoMode() == QLineEdit::Password);

        d.edtPassword->setText("not the password");
        QVERIFY(!d.trySignIn());
        QVERIFY2(d.lblMessage->text().contains("user name or password is incorrect"),
                 qPrintable(d.lblMessage->text()));

        d.edtUser->setText("bwayne");
        d.edtPassword->setText(testDcValue("ZENTORY_TEST_USER_PASSWORD"));
        QVERIFY(!d.trySignIn());
        QVERIFY2(d.lblMessage->text().contains("disabled"), qPrintable(d.lblMessage->text()));

        // No ticket in the cache.
        d.chkKerberos->setChecked(true);
        QVERIFY(!d.edtPassword->isEnabled());
        QVERIFY(!d.trySignIn());
        QVERIFY2(d.lblMessage->text().contains("Kerberos ticket"), qPrintable(d.lblMessage->text()));
        d.chkKerberos->setChecked(false);

        d.edtUser->setText("ZENTORY\\asmith");
        d.edtPassword->setText(testDcValue("ZENTORY_TEST_USER_PASSWORD"));
        QVERIFY2(d.trySignIn(), qPrintable(d.lblMessage->text()));
        QCOMPARE(session->credentials()->user, std::string("asmith"));
        std::string detail;
        QCOMPARE(session->samba()->checkLogon(detail), net::Success);
    }

    void cancelEndsTheSignIn() {
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = qobject_cast<SignInDialog*>(w)) {
                    d->bbtCancel->click();
                }
            }
        });
        QVERIFY(!SignIn(*session, true));
    }
};

QTEST_MAIN(TestSignIn)
#include "tst_signin.moc"
