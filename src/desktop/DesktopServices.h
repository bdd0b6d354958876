// Every modal message box, file and font dialog, clipboard access, browser
// or file-manager launch, hourglass cursor change and spreadsheet hand-off
// of the program goes through this one interface. The program uses the Qt
// implementation; tests hand the windows a recording double that answers
// prompts and keeps every message, so no test waits on a real modal box.
#pragma once

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QString>
#include <QUrl>
#include <optional>

class QWidget;

class DesktopServices {
public:
    enum class MessageKind { Warning, Error, Information, Confirmation };
    enum class Button { None = 0, Ok = 1, Cancel = 2, Yes = 4, No = 8 };
    Q_DECLARE_FLAGS(Buttons, Button)

    virtual ~DesktopServices() = default;

    // A modal message box; the result is the button that closed it (None
    // when it was closed otherwise, as by Escape on a box without Cancel).
    virtual Button message(QWidget* parent, MessageKind kind, const QString& text,
                           Buttons buttons) = 0;

    // File dialogs; an empty result means the user cancelled. The filter is
    // in Qt's form ("Text Files (*.txt);;All Files (*)").
    virtual QString openFileName(QWidget* parent, const QString& caption,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption,
                                 const QString& proposedName, const QString& filter) = 0;
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
    // The font dialog picks no colour; the list font's colour is chosen
    // here. Empty when the user cancelled.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;

    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() = 0;

    // The hourglass, and back to the normal cursor. The normal cursor is
    // set, not the one that showed before: a nested operation that ends
    // turns the hourglass off before its caller is done.
    virtual void setHourglass() = 0;
    virtual void setNormalCursor() = 0;

    // The web browser; false when nothing could open the address.
    virtual bool openUrl(const QUrl& url) = 0;
    // The file manager with the file selected (its folder where a file
    // manager cannot select); false when nothing opened.
    virtual bool showFileInFolder(const QString& path) = 0;
    // The desktop's default application for a file (the spreadsheet).
    virtual bool openWithDefaultApplication(const QString& path) = 0;

    // Lets the windows handle their pending messages once: the loops over
    // accounts call it for every element, so the windows repaint and accept
    // clicks during long reads.
    virtual void processEvents() = 0;

    // Shorthands for the boxes that have only OK.
    void error(QWidget* parent, const QString& text) {
        message(parent, MessageKind::Error, text, Button::Ok);
    }
    void warning(QWidget* parent, const QString& text) {
        message(parent, MessageKind::Warning, text, Button::Ok);
    }
    void information(QWidget* parent, const QString& text) {
        message(parent, MessageKind::Information, text, Button::Ok);
    }
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DesktopServices::Buttons)

// The desktop itself.
class QtDesktopServices : public DesktopServices {
public:
    Button message(QWidget* parent, MessageKind kind, const QString& text,
                   Buttons buttons) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposedName,
                         const QString& filter) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override;
    void setHourglass() override;
    void setNormalCursor() override;
    bool openUrl(const QUrl& url) override;
    bool showFileInFolder(const QString& path) override;
    bool openWithDefaultApplication(const QString& path) override;
    void processEvents() override;
};
