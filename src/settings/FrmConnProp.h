// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "DialUpService.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

/**
 * The connection properties dialog: one phone-book entry with the program's
 * fee and tact for it, in creation mode ("in 3 Schritten") or edit mode. The
 * caller fills it (EntryToDialog, fee, tact, user name, password), runs
 * Execute() and, after "&OK, sichern", reads it back (DialogToEntry, ...).
 */
class TfrmConnProp : public QDialog
{
    Q_OBJECT

public:
    /// Builds the dialog and fills the device list from service's devices.
    explicit TfrmConnProp(DialUpService &service, QWidget *parent = nullptr);

    /// false: creation of a new entry; true: an existing one. Set before Execute().
    bool EditMode = false;

    /// The connection's name, in creation mode also the pending name.
    void SetConnectionName(const QString &name);
    /// The name a new entry gets: the name field's text as last left.
    QString PendingName() const { return FPendingName; }
    void SelectFirstDevice();

    void EntryToDialog(const RasEntry &entry);
    /**
     * Copies the controls into entry. When a field holds no valid value it
     * returns false with a German message that names the field, and entry
     * stays as it was.
     */
    bool DialogToEntry(RasEntry *entry, QString *error) const;

    /// The fee in euro-cents per minute, with a decimal comma and 3 decimals.
    QString FeeText() const;
    void SetFeeText(const QString &text);
    /// 0 per started minute, 1 per second.
    int CountTact() const;
    void SetCountTact(int tact);
    QString UserName() const;
    void SetUserName(const QString &name);
    QString Password() const;
    void SetPassword(const QString &password);

    /// The rename button closed the dialog: the caller runs "&Umbenennen".
    bool RenameRequested() const { return FRenameRequested; }

    /// Applies the mode and shows the dialog modally; the dialog's result.
    int Execute();
    /// Replaces the modal loop in tests; returns the dialog's result.
    static inline std::function<int(TfrmConnProp &)> ExecHook;

    /// The look of the mode, the enabling rules, "&OK, sichern" disabled.
    void FormShow();
    /// Which controls take input, from the boxes that govern them.
    void ApplyRules();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildBasicPage(QWidget *page);
    void buildAdvancedPage(QWidget *page);
    void buildAdditionalPage(QWidget *page);
    QCheckBox *optionBox(const char *name, const QString &caption, quint32 bit, QWidget *parent);
    void markChanged();
    void BtnIsOkClick();
    void BtnPwClearClick();
    void BtnReadHelpClick();
    void BtnScriptClick();
    void EditRASNameExit();
    void showDeviceOnAdvancedPage();
    bool collect(RasEntry *entry, QString *error, QWidget **field) const;

    DialUpService &FService;
    QList<RasDevice> FDevices;
    QString FPendingName;
    bool FRenameRequested = false;
    QList<std::pair<QCheckBox *, quint32>> FOptionBoxes;

    // Controls, named as their objects.
    QTabWidget *PageControl = nullptr;
    QLabel *LblTitle = nullptr;
    QLabel *LabelRASName = nullptr;
    QLineEdit *EditRASName = nullptr;
    QToolButton *SPChange = nullptr;
    QComboBox *cboDevice = nullptr;
    QLineEdit *Edit_UserName = nullptr;
    QLineEdit *Edit_Password = nullptr;
    QPushButton *BtnPwClear = nullptr;
    QLineEdit *txtCountryID = nullptr;
    QLineEdit *txtCountryCode = nullptr;
    QLineEdit *txtAreaCode = nullptr;
    QLineEdit *txtPhoneNumber = nullptr;
    QCheckBox *chkUseCountryAndAreaCodes = nullptr;
    QDoubleSpinBox *EditCent = nullptr;
    QGroupBox *RGCountTact = nullptr;
    QButtonGroup *FCountTact = nullptr;
    QLineEdit *EditShowModem = nullptr;
    QToolButton *BtnModem = nullptr;
    QLineEdit *txtScript = nullptr;
    QToolButton *BtnScript = nullptr;
    QLineEdit *txtFrameSize = nullptr;
    QGroupBox *optFraming = nullptr;
    QButtonGroup *FFraming = nullptr;
    QCheckBox *chkNetBEUI = nullptr;
    QCheckBox *chkIPX = nullptr;
    QCheckBox *chkIP = nullptr;
    QCheckBox *chkSpecificIpAddr = nullptr;
    QCheckBox *chkSpecificNameServers = nullptr;
    QCheckBox *chkRequireMsEncryptedPw = nullptr;
    QCheckBox *chkRequireDataEncryption = nullptr;
    QCheckBox *chkUseLogonCredentials = nullptr;
    QCheckBox *chkSecureLocalFiles = nullptr;
    QLineEdit *txtIpAddr = nullptr;
    QLineEdit *txtPrimaryDNS = nullptr;
    QLineEdit *txtSecondaryDNS = nullptr;
    QLineEdit *txtPrimaryWINS = nullptr;
    QLineEdit *txtSecondaryWINS = nullptr;
    QPushButton *BtnIsOk = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnReadHelp = nullptr;
};
