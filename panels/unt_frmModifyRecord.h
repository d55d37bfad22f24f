#pragma once
#include "data/unt_clsDatabaseUser.h"

#include <QDialog>

#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidgetItem;

// Corrects the category name, amount and memo of one stored record.
class TfrmModifyRecord : public QDialog {
    Q_OBJECT
public:
    explicit TfrmModifyRecord(QWidget *Parent = nullptr);
    ~TfrmModifyRecord() override;

    QString RecordID;
    QString UserName; // whose record it must be
    // The browse panel's detail row that shows the record; rewritten on save.
    QTreeWidgetItem *TargetRow = nullptr;

    void SetFields(const QString &Date, const QString &Name, const QString &Money, const QString &Memo);
    void btnSaveClick();

protected:
    void showEvent(QShowEvent *Event) override;

private:
    std::unique_ptr<TclsDatabaseUser> Database;
    QLineEdit *edtDate, *edtName, *edtMoney;
    QPlainTextEdit *memMemo;
    QPushButton *btnSave, *btnCancel;
};
