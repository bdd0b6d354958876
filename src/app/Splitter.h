// A splitter whose handle reports a double-click.
#pragma once

#include <QSplitter>
#include <QSplitterHandle>

class DoubleClickSplitterHandle : public QSplitterHandle {
    Q_OBJECT

public:
    using QSplitterHandle::QSplitterHandle;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent*) override { emit doubleClicked(); }
};

class DoubleClickSplitter : public QSplitter {
    Q_OBJECT

public:
    using QSplitter::QSplitter;

signals:
    void handleDoubleClicked();

protected:
    QSplitterHandle* createHandle() override {
        auto* h = new DoubleClickSplitterHandle(orientation(), this);
        connect(h, &DoubleClickSplitterHandle::doubleClicked, this,
                &DoubleClickSplitter::handleDoubleClicked);
        return h;
    }
};
