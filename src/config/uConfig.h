// The configuration dialog: the settings record and the font of the main
// window's four account lists, edited on a private copy and written back
// only on OK.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <memory>
#include <vector>

#include "Config.h"
#include "ListFont.h"

class MainServices;

// The 49 Booleans of tyValidCheck in declaration order, the two flag
// records expanded field by field, each with the text of its check-list
// item ("Name", ..., "Flag SCRIPT", ..., "AuthFlag PRINT", ...).
struct ValidCheckItem {
    QString text;
    bool* field;
};
std::vector<ValidCheckItem> ValidCheckItems(tyValidCheck& check);

class TfrmConfiguration : public QDialog {
    Q_OBJECT

public:
    explicit TfrmConfiguration(MainServices& main, QWidget* parent = nullptr);

    // Steps before the dialog is shown: the private copy, the controls from
    // it (which may ask the two warnings), the list font of the main
    // window in the preview, the first tab.
    void FillFrom(const tyConfig& pConfig, int PageIndex);
    // After OK: the controls into the caller's record, the preview's font
    // to the four lists. True when a setting or the font differs.
    bool StoreInto(tyConfig& pConfig);

    // The list font being edited, shown by the preview list.
    const tyListFont& previewFont() const { return m_previewFont; }

    tyConfig FConfig;
    bool FWarningMainShowComment = false;
    bool FWarningMainShowFullName = false;

public slots:
    void btDefaultClick();
    void bbtSelectAllClick();
    void bbtSelectNoneClick();
    void CheckListBoxClickCheck();
    void BitBtn3Click();
    void bbtFontColorClick();
    void chkMainShowCommentClick();
    void chkMainShowFullNameClick();

public:
    QTabWidget* PageControl = nullptr;
    QWidget* tshGeneral = nullptr;
    QWidget* tshCompare = nullptr;
    QWidget* tshCheck = nullptr;
    QCheckBox* chkMainShowComment = nullptr;
    QCheckBox* chkMainShowFullName = nullptr;
    QCheckBox* chkShowWarnDCNotFound = nullptr;
    QCheckBox* chkShowWarnUserUnkn = nullptr;
    QCheckBox* chkShowWarnGrpUnkn = nullptr;
    QGroupBox* gbxAutoSelect = nullptr;
    QCheckBox* chkAutoGroup = nullptr;
    QCheckBox* chkAutoUser = nullptr;
    QCheckBox* chkCompShowComment = nullptr;
    QCheckBox* chkCompShowFullName = nullptr;
    QPushButton* BitBtn3 = nullptr;
    // The font dialog chooses no colour; this button does.
    QPushButton* bbtFontColor = nullptr;
    QListWidget* ListBox = nullptr;
    QListWidget* CheckListBox = nullptr;
    QPushButton* bbtSelectAll = nullptr;
    QPushButton* bbtSelectNone = nullptr;
    QPushButton* btDefault = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

private:
    void FormCreate();
    void FillControls();
    void setPreviewFont(const tyListFont& font);
    void warnOnce(QCheckBox* box, bool& asked, const QString& text);

    MainServices& m_main;
    tyListFont m_previewFont;
};

// The dialog as EditConfiguration has it just before it is shown: for tests.
std::unique_ptr<TfrmConfiguration> MakeConfiguration(MainServices& main, const tyConfig& pConfig,
                                                     int PageIndex);

// Shows the dialog on the tab PageIndex (0 General, 1 Comparison, 2 Check).
// True when the user confirmed with OK and a setting or the list font
// changed; on OK the four lists take the font in any case.
bool EditConfiguration(MainServices& main, tyConfig& pConfig, int PageIndex);
