// The desktop-services double of the window tests: it keeps every message
// with its kind, text and buttons, answers prompts from a queue the test
// fills (OK, or the first button offered, when the queue is empty), hands
// out the file names and fonts the test chose, and keeps the clipboard and
// the cursor state in memory.
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>

#include "DesktopServices.h"

class RecordingDesktop : public DesktopServices {
public:
    struct Message {
        MessageKind kind;
        QString text;
        Buttons buttons;
    };

    QList<Message> messages;
    std::deque<Button> answers;       // the next prompts' answers
    std::deque<QString> fileNames;    // the next file dialogs' answers ("" = cancel)
    QStringList fileDialogProposals;  // the names the save dialogs proposed
    std::deque<std::optional<QFont>> fonts;
    std::deque<std::optional<QColor>> colors;  // the next colour dialogs' answers
    QString clipboard;
    bool clipboardSet = false;
    bool hourglass = false;
    QStringList cursorEvents;  // "hourglass" and "normal", in order
    QList<QUrl> openedUrls;
    QStringList shownFiles;
    QStringList openedFiles;
    bool openSucceeds = true;
    int processEventsCalls = 0;
    // Runs inside the next message box, as if the user acted while it is
    // shown (e.g. to look at the window behind it).
    std::function<void()> duringMessage;

    QStringList texts() const {
        QStringList r;
        for (const auto& m : messages) {
            r << m.text;
        }
        return r;
    }
    void clear() {
        messages.clear();
        cursorEvents.clear();
    }

    Button message(QWidget*, MessageKind kind, const QString& text, Buttons buttons) override {
        messages.push_back({kind, text, buttons});
        if (duringMessage) {
            auto f = std::move(duringMessage);
            duringMessage = nullptr;
            f();
        }
        if (!answers.empty()) {
            const Button b = answers.front();
            answers.pop_front();
            return b;
        }
        for (Button b : {Button::Ok, Button::Yes, Button::No, Button::Cancel}) {
            if (buttons & b) {
                return b;
            }
        }
        return Button::None;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return nextFile(); }
    QString saveFileName(QWidget*, const QString&, const QString& proposedName,
                         const QString&) override {
        fileDialogProposals << proposedName;
        return nextFile();
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override {
        if (fonts.empty()) {
            return std::nullopt;
        }
        auto f = fonts.front();
        fonts.pop_front();
        return f;
    }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override {
        if (colors.empty()) {
            return std::nullopt;
        }
        auto c = colors.front();
        colors.pop_front();
        return c;
    }
    void setClipboardText(const QString& text) override {
        clipboard = text;
        clipboardSet = true;
    }
    QString clipboardText() override { return clipboard; }
    void setHourglass() override {
        hourglass = true;
        cursorEvents << "hourglass";
    }
    void setNormalCursor() override {
        hourglass = false;
        cursorEvents << "normal";
    }
    bool openUrl(const QUrl& url) override {
        openedUrls << url;
        return openSucceeds;
    }
    bool showFileInFolder(const QString& path) override {
        shownFiles << path;
        return openSucceeds;
    }
    bool openWithDefaultApplication(const QString& path) override {
        openedFiles << path;
        return openSucceeds;
    }
    void processEvents() override { ++processEventsCalls; }

private:
    QString nextFile() {
        if (fileNames.empty()) {
            return {};
        }
        QString f = fileNames.front();
        fileNames.pop_front();
        return f;
    }
};
