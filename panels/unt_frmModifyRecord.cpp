#include "panels/unt_frmModifyRecord.h"

#include "data/unt_clsAmount.h"
#include "panels/unt_TShape.h"
#include "ui/unt_clsMessages.h"
#include "ui/unt_clsWidgets.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItem>

namespace
{
QLineEdit *MakeEdit(QWidget *Parent, const char *Name, int Y, int MaxLength)
{
    auto *edit = new QLineEdit(Parent);
    edit->setObjectName(QLatin1String(Name));
    edit->setGeometry(73, Y, 232, 20);
    edit->setMaxLength(MaxLength);
    return edit;
}
} // namespace

TfrmModifyRecord::TfrmModifyRecord(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmModifyRecord"));
    setWindowTitle(QStringLiteral("修改"));
    setFixedSize(343, 225);
    MakeLabel(this, QStringLiteral("lblDate"), QStringLiteral("日期："), 29, 27);
    edtDate = MakeEdit(this, "edtDate", 23, 10);
    edtDate->setReadOnly(true);
    QPalette face = edtDate->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    edtDate->setPalette(face);
    MakeLabel(this, QStringLiteral("lblName"), QStringLiteral("项目："), 29, 57);
    edtName = MakeEdit(this, "edtName", 53, 50);
    MakeLabel(this, QStringLiteral("lblMoney"), QStringLiteral("金额："), 29, 88);
    // The same field as the entry panels': every amount the store holds
    // opens whole, and a third decimal cannot be typed.
    edtMoney = new TAmountEdit(this);
    edtMoney->setObjectName(QStringLiteral("edtMoney"));
    edtMoney->setGeometry(73, 84, 232, 20);
    MakeLabel(this, QStringLiteral("lblMemo"), QStringLiteral("备注："), 29, 118);
    memMemo = new QPlainTextEdit(this);
    memMemo->setObjectName(QStringLiteral("memMemo"));
    memMemo->setGeometry(73, 116, 232, 42);
    memMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memMemo->setTabChangesFocus(true);
    LimitPlainText(memMemo, 255);
    // An etched line: white under gray.
    auto *light = new TShape(this, TShape::TKind::Rectangle);
    light->setObjectName(QStringLiteral("shpSeparator1"));
    light->setGeometry(0, 174, 344, 3);
    light->SetPen(Qt::NoPen, Qt::white);
    light->SetBrush(Qt::SolidPattern, Qt::white);
    auto *dark = new TShape(this, TShape::TKind::Rectangle);
    dark->setObjectName(QStringLiteral("shpSeparator2"));
    dark->setGeometry(0, 174, 344, 2);
    dark->SetPen(Qt::NoPen, Qt::white);
    dark->SetBrush(Qt::SolidPattern, QColor(0xA0, 0xA0, 0xA0));
    btnSave = MakeButton(this, QStringLiteral("btnSave"), QStringLiteral("保存(&S)"), 148, 187);
    btnSave->setDefault(true);
    btnCancel = MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"), 230, 187);
    setTabOrder(edtDate, edtName);
    setTabOrder(edtName, edtMoney);
    setTabOrder(edtMoney, memMemo);
    setTabOrder(memMemo, btnSave);
    setTabOrder(btnSave, btnCancel);
    connect(btnSave, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { btnSaveClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmModifyRecord::~TfrmModifyRecord() = default;

void TfrmModifyRecord::SetFields(const QString &Date, const QString &Name, const QString &Money,
                                 const QString &Memo)
{
    edtDate->setText(Date);
    edtName->setText(Name);
    edtMoney->setText(Money);
    memMemo->setPlainText(Memo);
}

void TfrmModifyRecord::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    Database = std::make_unique<TclsDatabaseUser>();
    edtName->setFocus();
}

void TfrmModifyRecord::btnSaveClick()
{
    const QString title = ApplicationTitle();
    const QString name = edtName->text();
    const QString memo = memMemo->toPlainText();
    if (name.trimmed().isEmpty()) {
        ShowMessage(this, title, QStringLiteral("项目名称不能为空！"), TMessageStyle::Warning);
        edtName->setFocus();
        return;
    }
    QString amount;
    QString problem;
    switch (NormaliseAmount(edtMoney->text(), amount)) {
    case TAmountCheck::BadFormat:
        problem = QStringLiteral("金额错误！请重新输入。");
        break;
    case TAmountCheck::NotPositive:
        problem = QStringLiteral("金额不能为空或为0！");
        break;
    case TAmountCheck::TooManyDecimals:
        problem = QStringLiteral("金额最多只能有两位小数！请重新输入。");
        break;
    case TAmountCheck::TooLarge:
        problem = QStringLiteral("金额太大（整数部分最多%1位）！请重新输入。").arg(MaxAmountDigits);
        break;
    case TAmountCheck::Ok:
        break;
    }
    if (!problem.isEmpty()) {
        ShowMessage(this, title, problem, TMessageStyle::Warning);
        edtMoney->clear();
        edtMoney->setFocus();
        return;
    }
    {
        TclsBusyButton busy(btnSave);
        if (!Database)
            Database = std::make_unique<TclsDatabaseUser>();
        Database->UpdateRecord(UserName, RecordID, name, amount, memo);
    }
    if (TargetRow) {
        TargetRow->setText(3, name);
        TargetRow->setText(4, amount);
        SetCell(TargetRow, 5, memo);
    }
    ShowMessage(this, title, QStringLiteral("修改成功！"), TMessageStyle::Information);
    accept();
}
