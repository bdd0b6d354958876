#include "uAbout102.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QUrl>
#include <algorithm>

#include "DesktopServices.h"
#include "Download.h"
#include "IniFile.h"
#include "ShellKnownPath.h"

// Outside any namespace, as the resource initialiser requires; called
// from the window so that the linker keeps the resources of this static
// library.
static void initAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace {

const QString kDownloadFailed = QStringLiteral("Unable to download the new version");
const QString kDownloaded =
    QStringLiteral("File downloaded successfuly.\nOpen the download folder ?");

// The hourglass for as long as the window waits for the server, also
// when an error ends the wait.
class Hourglass {
public:
    explicit Hourglass(DesktopServices& desktop) : m_desktop(desktop) { m_desktop.setHourglass(); }
    ~Hourglass() { m_desktop.setNormalCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    DesktopServices& m_desktop;
};

// The update-files location of the maker's server, with one file in it.
QString updateFileUrl(const QString& webServer, const QString& fileName) {
    return webServer + QStringLiteral("/files/") +
           QString::fromLatin1(QUrl::toPercentEncoding(fileName));
}

template <class T>
T* placed(QWidget* parent, const char* name, int left, int top) {
    auto* w = new T(parent);
    w->setObjectName(QLatin1String(name));
    w->move(left, top);
    return w;
}

}  // namespace

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void ClickLabel::contextMenuEvent(QContextMenuEvent* event) {
    emit contextMenuAt(event->globalPos());
    event->accept();
}

QString FileNamePart(const QString& pName) {
    // A slash counts as well as the backslash and the colon: the name
    // becomes a file in the Downloads folder, and "../" must not lead out
    // of it.
    const qsizetype cut = std::max({pName.lastIndexOf(u'\\'), pName.lastIndexOf(u':'),
                                    pName.lastIndexOf(u'/')});
    const QString name = pName.sliced(cut + 1);
    if (name == u"." || name == u"..") {
        return {};
    }
    return name;
}

TfrmAbout102::TfrmAbout102(DesktopServices& desktop, const AboutSite& site, QWidget* parent)
    : QDialog(parent), m_desktop(desktop), m_site(site) {
    initAboutResources();
    if (m_site.executablePath.isEmpty()) {
        m_site.executablePath = QCoreApplication::applicationFilePath();
    }
    buildWindow();
    FormCreate();
}

void TfrmAbout102::buildWindow() {
    setObjectName(QStringLiteral("frmAbout102"));
    setWindowTitle(QStringLiteral("About"));
    // A single border with the system menu: no minimise, no maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);
    setFixedSize(450, 288);

    Image1 = placed<QLabel>(this, "Image1", 0, 0);
    Image1->resize(450, 288);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(QPixmap(QStringLiteral(":/about/about-background.jpg")));

    const int textWidth = 442 - 170;
    lblApplicationTitle = placed<QLabel>(this, "lblApplicationTitle", 170, 8);
    // The title as it is: an ampersand in it is no accelerator.
    lblApplicationTitle->setTextFormat(Qt::PlainText);
    QFont title = font();
    title.setPointSize(16);
    lblApplicationTitle->setFont(title);
    lblApplicationTitle->resize(textWidth, 26);

    lblVersion = placed<QLabel>(this, "lblVersion", 170, 36);
    lblVersion->setTextFormat(Qt::PlainText);
    QFont version = font();
    version.setPointSize(12);
    lblVersion->setFont(version);
    lblVersion->resize(textWidth, 20);

    lblVersionHistory = placed<QLabel>(this, "lblVersionHistory", 170, 64);
    lblVersionHistory->setText(QStringLiteral("Version History"));
    lblVersionHistory->adjustSize();

    lblNewVersion = placed<ClickLabel>(this, "lblNewVersion", 0, 64);
    lblNewVersion->setText(QStringLiteral("New version available"));
    QPalette red = lblNewVersion->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblNewVersion->setPalette(red);
    lblNewVersion->setCursor(Qt::PointingHandCursor);
    lblNewVersion->adjustSize();
    lblNewVersion->move(442 - lblNewVersion->width(), 64);
    lblNewVersion->hide();

    memNews = placed<QPlainTextEdit>(this, "memNews", 170, 80);
    memNews->resize(272, 137);
    memNews->setReadOnly(true);
    memNews->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // Long system names run past the window's edge, as on the other
    // systems; the whole text is in the tool tip.
    lblWindowsVersion = placed<QLabel>(this, "lblWindowsVersion", 170, 223);
    lblWindowsVersion->setTextFormat(Qt::PlainText);
    lblWindowsVersion->resize(450 - 170, 14);

    lblCompilerVersion = placed<QLabel>(this, "lblCompilerVersion", 170, 239);
    lblCompilerVersion->setTextFormat(Qt::PlainText);

    lblWebSite = placed<ClickLabel>(this, "lblWebSite", 0, 239);
    const QString host = QUrl(m_site.webServer).host();
    lblWebSite->setTextFormat(Qt::PlainText);
    lblWebSite->setText(host.isEmpty() ? m_site.webServer : host);
    QPalette blue = lblWebSite->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    lblWebSite->setPalette(blue);
    QFont underlined = font();
    underlined.setUnderline(true);
    lblWebSite->setFont(underlined);
    lblWebSite->setCursor(Qt::PointingHandCursor);
    lblWebSite->setProperty("Tag", 1);
    lblWebSite->adjustSize();
    lblWebSite->move(442 - lblWebSite->width(), 239);

    imgDonate = placed<ClickLabel>(this, "imgDonate", 268, 257);
    imgDonate->resize(74, 21);
    imgDonate->setPixmap(QPixmap(QStringLiteral(":/about/donate.png")));
    imgDonate->setCursor(Qt::PointingHandCursor);
    imgDonate->setProperty("Tag", 2);

    BitBtn1 = placed<QPushButton>(this, "BitBtn1", 367, 255);
    BitBtn1->setText(QStringLiteral("&Close"));
    BitBtn1->setIcon(QIcon::fromTheme(QStringLiteral("window-close"),
                                      style()->standardIcon(QStyle::SP_DialogCloseButton)));
    BitBtn1->resize(75, 25);
    BitBtn1->setDefault(true);

    pmNewVersion = new QMenu(this);
    pmNewVersion->setObjectName(QStringLiteral("pmNewVersion"));
    menSetup = pmNewVersion->addAction(QStringLiteral("Installation program"));
    menSetup->setObjectName(QStringLiteral("menSetup"));
    menSetup->setProperty("Tag", 1);
    menCAB = pmNewVersion->addAction(QStringLiteral("Executable only"));
    menCAB->setObjectName(QStringLiteral("menCAB"));
    menCAB->setProperty("Tag", 2);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(lblNewVersion, &ClickLabel::clicked, this,
            [this] { guarded([this] { lblNewVersionClick(); }); });
    connect(lblNewVersion, &ClickLabel::contextMenuAt, this,
            [this](const QPoint& at) { pmNewVersion->popup(at); });
    for (QAction* item : {menSetup, menCAB}) {
        connect(item, &QAction::triggered, this,
                [this, item] { guarded([this, item] { menNewVersionClick(item); }); });
    }
    for (ClickLabel* link : {lblWebSite, imgDonate}) {
        connect(link, &ClickLabel::clicked, this,
                [this, link] { guarded([this, link] { WebLinkClick(link); }); });
    }
    BitBtn1->setFocus();
}

void TfrmAbout102::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        m_desktop.error(this, QString::fromUtf8(e.what()));
    }
}

QString TfrmAbout102::executableFileName(const QString& extension) const {
    return QFileInfo(m_site.executablePath).completeBaseName() + extension;
}

void TfrmAbout102::FormCreate() {
    lblApplicationTitle->setText(QGuiApplication::applicationDisplayName());
    m_running = m_site.runningVersion ? *m_site.runningVersion : GetFileVersion();
    lblVersion->setText(QStringLiteral("Version ") + FormatVersion(m_running));
    CheckNewVersion();
    lblNewVersion->setVisible(FNewVersionAvalaible);
    // A line feed, a carriage return or both together each start a line.
    QString news = FNews;
    news.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    news.replace(u'\r', u'\n');
    memNews->setPlainText(news);
    lblWindowsVersion->setText(OsVersionText(CurrentOsVersion()));
    lblWindowsVersion->setToolTip(lblWindowsVersion->text());
    lblCompilerVersion->setText(QStringLiteral("Compiled with ") + CompilerVersionText());
    lblCompilerVersion->adjustSize();
    menSetup->setEnabled(!FExeSetup.isEmpty());
}

void TfrmAbout102::CheckNewVersion() {
    FNewVersionAvalaible = false;
    const QString url = updateFileUrl(m_site.webServer, executableFileName(QStringLiteral(".INF")));
    const QString controlFile = MakeTempFileName(QStringLiteral(".tmp"));
    bool fetched = false;
    if (!controlFile.isEmpty()) {
        Hourglass wait(m_desktop);
        fetched = DownloadURLToFile(url, controlFile, kSmallDownloadDeadline);
    }
    if (fetched) {
        const QString newVersion =
            ReadProfileString(controlFile, QStringLiteral("file1"), QStringLiteral("newversion"));
        FNews = ReadProfileString(controlFile, QStringLiteral("update"), QStringLiteral("descr"));
        FExeSetup =
            ReadProfileString(controlFile, QStringLiteral("action"), QStringLiteral("runbefore"));
        if (QFile::exists(controlFile)) {
            QFile::remove(controlFile);
        }
        FNewVersionAvalaible = IsNewerVersion(ParseVersion(newVersion), m_running);
    }
    FNews.replace(QStringLiteral("\\n"), QStringLiteral("\n"), Qt::CaseInsensitive);
}

void TfrmAbout102::BitBtn1Click() {
    close();
}

void TfrmAbout102::lblNewVersionClick() {
    pmNewVersion->popup(lblNewVersion->mapToGlobal(QPoint(0, lblNewVersion->height())));
}

void TfrmAbout102::menNewVersionClick(QObject* pSender) {
    const QString folder = KnownFolderPath(kFolderDownloads);
    QString name;
    switch (pSender ? pSender->property("Tag").toInt() : 0) {
    case 1:
        name = FileNamePart(FExeSetup);
        break;
    case 2:
        name = executableFileName(QStringLiteral(".CAB"));
        break;
    default:
        return;
    }
    if (name.isEmpty()) {
        return;
    }
    // Without a Downloads folder there is nowhere sensible to put the file
    // (the bare name after a separator would be the root folder).
    bool downloaded = false;
    const QString destination = QDir(folder).filePath(name);
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        Hourglass wait(m_desktop);
        downloaded = DownloadURLToFile(updateFileUrl(m_site.webServer, name), destination,
                                       kNewVersionDeadline);
    }
    if (!downloaded) {
        m_desktop.error(this, kDownloadFailed);
        return;
    }
    if (m_desktop.message(this, DesktopServices::MessageKind::Confirmation, kDownloaded,
                          DesktopServices::Button::Yes | DesktopServices::Button::No) ==
        DesktopServices::Button::Yes) {
        m_desktop.showFileInFolder(QDir::toNativeSeparators(destination));
    }
}

void TfrmAbout102::WebLinkClick(QObject* pSender) {
    switch (pSender ? pSender->property("Tag").toInt() : 0) {
    case 1:
        m_desktop.openUrl(QUrl(m_site.webServer + QStringLiteral("/wiki/doku.php")));
        break;
    case 2:
        m_desktop.openUrl(QUrl(m_site.donateUrl));
        break;
    default:
        break;
    }
}

std::unique_ptr<TfrmAbout102> MakeAbout(QWidget* parent, DesktopServices& desktop,
                                        const AboutSite& site) {
    return std::make_unique<TfrmAbout102>(desktop, site, parent);
}

void ShowAbout(QWidget* parent, DesktopServices& desktop, const AboutSite& site) {
    auto w = MakeAbout(parent, desktop, site);
    w->exec();
}
