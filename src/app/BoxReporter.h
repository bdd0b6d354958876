// The queries' error reports as modal error boxes with a single OK button.
#pragma once

#include <QPointer>
#include <QWidget>

#include "DesktopServices.h"
#include "NetApi.h"

class BoxReporter : public ErrorReporter {
public:
    explicit BoxReporter(DesktopServices& desktop) : m_desktop(desktop) {}
    // The window the boxes belong to (the main window, once it exists).
    void setParent(QWidget* parent) { m_parent = parent; }
    void showError(const std::u16string& text) override {
        m_desktop.error(m_parent.data(), QString::fromStdU16String(text));
    }

private:
    DesktopServices& m_desktop;
    QPointer<QWidget> m_parent;
};
