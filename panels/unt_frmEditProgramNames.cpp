#include "panels/unt_frmEditProgramNames.h"

#include "ui/unt_clsMessages.h"
#include "ui/unt_clsWidgets.h"

#include <QPlainTextEdit>
#include <QPushButton>

TfrmEditProgramNames::TfrmEditProgramNames(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmEditProgramNames"));
    setFixedSize(400, 312);
    MakeLabel(this, QStringLiteral("lblNotice1"),
              QStringLiteral("1.对项目名称可以任意修改，不影响软件使用。"), 15, 15);
    MakeLabel(this, QStringLiteral("lblNotice2"),
              QStringLiteral("2.每个项目名称单独占一行，修改完点“保存”。"), 15, 34);
    memEdit = new QPlainTextEdit(this);
    memEdit->setObjectName(QStringLiteral("memEdit"));
    memEdit->setGeometry(15, 58, 369, 210);
    memEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memEdit->setTabChangesFocus(true);
    btnSave = MakeButton(this, QStringLiteral("btnSave"), QStringLiteral("保存(&S)"), 227, 277);
    btnSave->setDefault(true);
    btnCancel = MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"), 309, 277);
    connect(btnSave, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { btnSaveClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmEditProgramNames::~TfrmEditProgramNames() = default;

void TfrmEditProgramNames::SetLines(const QStringList &Lines)
{
    memEdit->setPlainText(Lines.join(QLatin1Char('\n')));
}

void TfrmEditProgramNames::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    Database = std::make_unique<TclsDatabaseUser>();
    setWindowTitle(ListTitle + QStringLiteral(" - 编辑"));
}

void TfrmEditProgramNames::btnSaveClick()
{
    // Stored as lines joined by CR LF, blank lines and blanks included.
    const QString text = memEdit->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const bool expense = ListTitle == QStringLiteral("支出项目名称");
    QStringList outNames, inNames;
    {
        TclsBusyButton busy(btnSave);
        if (!Database)
            Database = std::make_unique<TclsDatabaseUser>();
        Database->SetProgramNames(UserName, ListTitle, text);
        Database->GetProgramNames(UserName, outNames, inNames);
    }
    if (OnSaved)
        OnSaved(expense, expense ? outNames : inNames);
    ShowMessage(this, ApplicationTitle(), ListTitle + QStringLiteral("保存成功！"),
                TMessageStyle::Information);
    accept();
}
