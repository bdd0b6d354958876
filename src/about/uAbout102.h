// The about window: the program's title and version, the system and the
// compiler, the maker's news, and the new version offered by the maker's
// server, downloaded on request into the Downloads folder.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>
#include <memory>
#include <optional>

#include "FileVersion.h"
#include "ZentoryBuild.h"

class DesktopServices;

// Where the window finds the maker and itself. The defaults are the
// compiled ones (ZENTORY_WEB_SERVER, ZENTORY_DONATE_URL) and the running
// program; tests name a loopback server, an executable and a running
// version instead.
struct AboutSite {
    QString webServer = QStringLiteral(ZENTORY_WEB_SERVER);
    QString donateUrl = QStringLiteral(ZENTORY_DONATE_URL);
    QString executablePath;                   // empty: this program's file
    std::optional<FileVersion> runningVersion;  // empty: GetFileVersion()
};

// A label that answers clicks, as the window's links and its "New version
// available" do.
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();
    void contextMenuAt(const QPoint& globalPos);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

class TfrmAbout102 : public QDialog {
    Q_OBJECT

public:
    // Fills the window (FormCreate); a running version that cannot be read
    // raises its error and the window is not made.
    TfrmAbout102(DesktopServices& desktop, const AboutSite& site, QWidget* parent = nullptr);

    bool newVersionAvailable() const { return FNewVersionAvalaible; }
    const QString& news() const { return FNews; }
    const QString& exeSetup() const { return FExeSetup; }
    // The executable's file name with another extension ("Zentory.INF").
    QString executableFileName(const QString& extension) const;

    // The handlers, public so that tests drive them as a click would.
    void BitBtn1Click();
    void lblNewVersionClick();
    // Run by menSetup (Tag 1) and menCAB (Tag 2).
    void menNewVersionClick(QObject* pSender);
    // Run by lblWebSite (Tag 1) and imgDonate (Tag 2).
    void WebLinkClick(QObject* pSender);

    // Components, named as the program's documentation names them.
    QLabel* Image1 = nullptr;
    QLabel* lblApplicationTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblVersionHistory = nullptr;
    ClickLabel* lblNewVersion = nullptr;
    QPlainTextEdit* memNews = nullptr;
    QLabel* lblWindowsVersion = nullptr;
    QLabel* lblCompilerVersion = nullptr;
    ClickLabel* lblWebSite = nullptr;
    ClickLabel* imgDonate = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QMenu* pmNewVersion = nullptr;
    QAction* menSetup = nullptr;
    QAction* menCAB = nullptr;

private:
    void buildWindow();
    void FormCreate();
    void CheckNewVersion();
    // Runs a handler as the toolkit runs one: an error that escapes it is
    // shown in an error box and the window stays open.
    void guarded(const std::function<void()>& handler);

    DesktopServices& m_desktop;
    AboutSite m_site;
    FileVersion m_running;

    bool FNewVersionAvalaible = false;
    QString FNews;
    QString FExeSetup;
};

// The window as ShowAbout fills it, with its check done, not yet shown:
// for tests.
std::unique_ptr<TfrmAbout102> MakeAbout(QWidget* parent, DesktopServices& desktop,
                                        const AboutSite& site = AboutSite());

// Opens the about window modally; returns when it is closed.
void ShowAbout(QWidget* parent, DesktopServices& desktop, const AboutSite& site = AboutSite());

// The file-name part of a name the control file gives: the text after the
// last backslash, colon or slash. Empty for a name that would leave the
// folder it is stored in ("." or "..").
QString FileNamePart(const QString& pName);
