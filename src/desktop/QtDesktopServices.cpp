#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

#include "DesktopServices.h"

DesktopServices::Button QtDesktopServices::message(QWidget* parent, MessageKind kind,
                                                   const QString& text, Buttons buttons) {
    QMessageBox box(parent);
    switch (kind) {
    case MessageKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    QMessageBox::StandardButtons standard;
    if (buttons & Button::Ok) {
        standard |= QMessageBox::Ok;
    }
    if (buttons & Button::Cancel) {
        standard |= QMessageBox::Cancel;
    }
    if (buttons & Button::Yes) {
        standard |= QMessageBox::Yes;
    }
    if (buttons & Button::No) {
        standard |= QMessageBox::No;
    }
    box.setStandardButtons(standard);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Button::Ok;
    case QMessageBox::Cancel:
        return Button::Cancel;
    case QMessageBox::Yes:
        return Button::Yes;
    case QMessageBox::No:
        return Button::No;
    default:
        return Button::None;
    }
}

QString QtDesktopServices::openFileName(QWidget* parent, const QString& caption,
                                        const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString QtDesktopServices::saveFileName(QWidget* parent, const QString& caption,
                                        const QString& proposedName, const QString& filter) {
    // Replacing an existing file is not asked about: the user chose it.
    return QFileDialog::getSaveFileName(parent, caption, proposedName, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

std::optional<QFont> QtDesktopServices::chooseFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) {
        return std::nullopt;
    }
    return f;
}

std::optional<QColor> QtDesktopServices::chooseColor(QWidget* parent, const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid()) {
        return std::nullopt;
    }
    return c;
}

void QtDesktopServices::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

QString QtDesktopServices::clipboardText() {
    return QGuiApplication::clipboard()->text();
}

void QtDesktopServices::setHourglass() {
    if (!QGuiApplication::overrideCursor()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void QtDesktopServices::setNormalCursor() {
    while (QGuiApplication::overrideCursor()) {
        QGuiApplication::restoreOverrideCursor();
    }
}

bool QtDesktopServices::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool QtDesktopServices::showFileInFolder(const QString& path) {
    const QFileInfo info(path);
#ifdef Q_OS_WIN
    return QProcess::startDetached("explorer.exe",
                                   {"/select," + QDir::toNativeSeparators(info.absoluteFilePath())});
#else
    // The freedesktop file manager interface selects the file; without a
    // file manager on the session bus, the folder opens instead.
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowItems");
    call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absolutePath()));
#endif
}

bool QtDesktopServices::openWithDefaultApplication(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDesktopServices::processEvents() {
    QCoreApplication::processEvents();
}
