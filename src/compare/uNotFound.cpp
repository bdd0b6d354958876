#include "uNotFound.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTextDocument>
#include <QVBoxLayout>

#include "DesktopServices.h"
#include "Icons.h"
#include "ListFontQt.h"
#include "MainServices.h"

TfrmNotFound::TfrmNotFound(MainServices& main, QWidget* parent) : QDialog(parent), m_main(main) {
    setObjectName(QStringLiteral("frmNotFound"));
    setWindowTitle(QStringLiteral("Items not found"));
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);
    resize(513, 276);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 6);
    memNotFound = new QPlainTextEdit(this);
    memNotFound->setObjectName(QStringLiteral("memNotFound"));
    memNotFound->setLineWrapMode(QPlainTextEdit::NoWrap);
    const tyListFont listFont = main.listFont();
    memNotFound->setFont(ToQFont(listFont));
    QPalette p = memNotFound->palette();
    p.setColor(QPalette::Text, ToQColor(listFont.Color, QApplication::palette()));
    memNotFound->setPalette(p);
    root->addWidget(memNotFound, 1);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 0, 6, 0);
    bbtCopyClipboard = new QPushButton(themedIcon("edit-copy", QStyle::SP_DialogSaveButton),
                                       QStringLiteral("Copy to clipboard"), this);
    bbtCopyClipboard->setObjectName(QStringLiteral("bbtCopyClipboard"));
    bbtCopyClipboard->setFixedHeight(25);
    bbtCopyClipboard->setAutoDefault(false);
    BitBtn1 = new QPushButton(themedIcon("window-close", QStyle::SP_DialogCloseButton),
                              QStringLiteral("&Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setFixedSize(75, 25);
    BitBtn1->setAutoDefault(false);
    row->addWidget(bbtCopyClipboard);
    row->addStretch(1);
    row->addWidget(BitBtn1);
    root->addLayout(row);

    connect(bbtCopyClipboard, &QPushButton::clicked, this, &TfrmNotFound::bbtCopyClipboardClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmNotFound::BitBtn1Click);
}

QString TfrmNotFound::memoText() const {
    // toPlainText() would turn the no-break spaces of a list item's
    // separator into plain spaces; the raw text keeps them, with a
    // paragraph separator between lines.
    QString text = memNotFound->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

void TfrmNotFound::bbtCopyClipboardClick() {
    memNotFound->selectAll();
    m_main.desktop().setClipboardText(memoText());
}

void TfrmNotFound::BitBtn1Click() {
    close();
}

void TfrmNotFound::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::unique_ptr<TfrmNotFound> MakeNotFound(MainServices& main, const QStringList& names) {
    auto form = std::make_unique<TfrmNotFound>(main, main.window());
    form->memNotFound->setPlainText(names.join(u'\n'));
    return form;
}

void ShowNotFound(MainServices& main, const QStringList& names) {
    auto form = MakeNotFound(main, names);
    form->exec();
}
