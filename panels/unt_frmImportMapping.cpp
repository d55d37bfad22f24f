#include "panels/unt_frmImportMapping.h"

#include "ui/unt_clsMessages.h"
#include "ui/unt_clsWidgets.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace
{
struct TField {
    const char *Key;
    const char *Caption;
};
const TField Fields[] = {{"Date", "日期列："},       {"Amount", "金额列（正负号）："},
                         {"Income", "收入列："},     {"Expense", "支出列："},
                         {"Direction", "收/支列："}, {"Counterparty", "交易对方列："},
                         {"Memo", "备注列："}};
} // namespace

TfrmImportMapping::TfrmImportMapping(QWidget *Parent, const QStringList &Columns, const TBillMapping &Guess)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmImportMapping"));
    setWindowTitle(QStringLiteral("选择账单的列"));
    setFixedSize(360, 330);
    MakeLabel(this, QStringLiteral("lblMap_Notice"),
              QStringLiteral("这个账单的格式不认识，请指出各列的内容："), 12, 12);
    const int guess[] = {Guess.Date,      Guess.Amount,       Guess.Income, Guess.Expense,
                         Guess.Direction, Guess.Counterparty, Guess.Memo};
    int y = 44;
    for (int i = 0; i < 7; ++i, y += 32) {
        const QString key = QString::fromLatin1(Fields[i].Key);
        MakeLabel(this, QStringLiteral("lblMap_") + key, QString::fromUtf8(Fields[i].Caption), 12, y + 3);
        auto *combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cboMap_") + key);
        combo->setGeometry(150, y, 196, 22);
        combo->addItem(QStringLiteral("（无）"));
        combo->addItems(Columns);
        combo->setCurrentIndex(guess[i] + 1);
        FCombos << combo;
    }
    auto *ok = MakeButton(this, QStringLiteral("btnMap_OK"), QStringLiteral("确定(&O)"), 190, 296);
    auto *cancel = MakeButton(this, QStringLiteral("btnMap_Cancel"), QStringLiteral("取消(&C)"), 271, 296);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TfrmImportMapping::Check);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QComboBox *TfrmImportMapping::Combo(const QString &Key) const
{
    return findChild<QComboBox *>(QStringLiteral("cboMap_") + Key);
}

TBillMapping TfrmImportMapping::Mapping() const
{
    TBillMapping m;
    int *fields[] = {&m.Date, &m.Amount, &m.Income, &m.Expense, &m.Direction, &m.Counterparty, &m.Memo};
    for (int i = 0; i < 7; ++i)
        *fields[i] = FCombos[i]->currentIndex() - 1;
    if (m.Amount >= 0)
        m.Income = m.Expense = -1;
    return m;
}

void TfrmImportMapping::Check()
{
    if (!Mapping().IsUsable()) {
        ShowMessage(this, ApplicationTitle(), QStringLiteral("请至少选择日期列和金额列（或收入、支出列）。"),
                    TMessageStyle::Warning);
        return;
    }
    accept();
}
