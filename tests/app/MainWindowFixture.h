// A main window over a FakeDirectory and a RecordingDesktop, without a
// settings store: what the window tests start from.
#pragma once

#include <QtTest>
#include <memory>

#include "FakeDirectory.h"
#include "Queries.h"
#include "RecordingDesktop.h"
#include "TestSupport.h"
#include "uMain.h"

class DesktopReporter : public ErrorReporter {
public:
    explicit DesktopReporter(DesktopServices& desktop) : m_desktop(desktop) {}
    void showError(const std::u16string& text) override {
        m_desktop.error(nullptr, QString::fromStdU16String(text));
    }

private:
    DesktopServices& m_desktop;
};

struct MainWindowFixture {
    FakeDirectory directory;
    RecordingDesktop desktop;
    DesktopReporter reporter{desktop};
    DirectoryQueries queries{directory, reporter};
    std::unique_ptr<TfrmMain> window;

    // Makes the window; settings changes go into it before the load.
    TfrmMain& make() {
        window = std::make_unique<TfrmMain>(queries, desktop, nullptr);
        return *window;
    }
    TfrmMain& load() {
        if (!window) {
            make();
        }
        window->FormShow();
        return *window;
    }

    static QStringList items(const AccountCheckList* list) { return list->accounts()->texts(); }
    static QStringList items(const AccountCombo* combo) { return combo->accounts()->texts(); }
    static QString nbsp3() { return QString(3, QChar(0x00A0)); }
    static QString item(const QString& name, const QString& detail) {
        return name + nbsp3() + "(" + detail + ")";
    }
};
