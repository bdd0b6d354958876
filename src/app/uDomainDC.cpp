#include "uDomainDC.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <memory>

#include "DesktopServices.h"
#include "Icons.h"

namespace {

QLineEdit* labelledLine(QWidget* parent, QVBoxLayout* layout, const char* name,
                        const QString& label) {
    auto* l = new QLabel(label, parent);
    l->setObjectName(QLatin1String(name) + QStringLiteral("Label"));
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    e->setFixedWidth(209);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    e->setPalette(p);
    l->setBuddy(e);
    layout->addWidget(l);
    layout->addWidget(e);
    return e;
}

}  // namespace

TfrmDomainDC::TfrmDomainDC(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDomainDC"));
    setWindowTitle(QStringLiteral("Domain & DC"));
    QFont design(QStringLiteral("Tahoma"));
    design.setPointSize(8);
    setFont(design);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    ledtDomainName = labelledLine(this, layout, "ledtDomainName", QStringLiteral("Domain"));
    ledtDCName = labelledLine(this, layout, "ledtDCName", QStringLiteral("Domain Controller"));
    layout->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    bbtClose = new QPushButton(themedIcon("window-close", QStyle::SP_DialogCloseButton),
                               QStringLiteral("&Fermer"), this);
    bbtClose->setObjectName(QStringLiteral("bbtClose"));
    bbtClose->setFixedSize(75, 25);
    bbtClose->setDefault(true);
    connect(bbtClose, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(bbtClose);
    layout->addLayout(row);
    setFixedSize(237, 140);
    bbtClose->setFocus();
}

void TfrmDomainDC::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::unique_ptr<TfrmDomainDC> MakeDomainDC(QWidget* parent, const QString& domainName,
                                           const QString& dcName) {
    auto w = std::make_unique<TfrmDomainDC>(parent);
    w->ledtDomainName->setText(domainName);
    w->ledtDCName->setText(dcName);
    return w;
}

void ShowDomainDC(QWidget* parent, const QString& domainName,
                  const QString& dcName) {
    auto w = MakeDomainDC(parent, domainName, dcName);
    w->exec();
}
