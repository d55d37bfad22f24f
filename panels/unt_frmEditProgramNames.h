#pragma once
#include "data/unt_clsDatabaseUser.h"

#include <QDialog>

#include <functional>
#include <memory>

class QPlainTextEdit;
class QPushButton;

// Edits one of the user's two category lists as plain text, a name a line.
class TfrmEditProgramNames : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEditProgramNames(QWidget *Parent = nullptr);
    ~TfrmEditProgramNames() override;

    QString UserName;
    QString ListTitle; // "支出项目名称" or "收入项目名称"
    // Hands the freshly read list to the entry panel whose list was saved.
    std::function<void(bool Expense, const QStringList &Names)> OnSaved;

    void SetLines(const QStringList &Lines);
    void btnSaveClick();

protected:
    void showEvent(QShowEvent *Event) override;

private:
    std::unique_ptr<TclsDatabaseUser> Database;
    QPlainTextEdit *memEdit;
    QPushButton *btnSave, *btnCancel;
};
