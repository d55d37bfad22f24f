// Monthly budgets: one amount per user and expense category.
#include "data/unt_clsDatabaseUser.h"

#include "data/unt_clsAmount.h"
#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"

QList<TBudget> TclsDatabaseUser::GetBudgets(const QString &UserName)
{
    TclsConnection db(FDatabaseFile);
    QList<TBudget> budgets;
    for (auto rs =
             db.Query("select Program_Name,Budget_Money from Budget_Table where User_Name=? order by rowid",
                      {Base64::EncodeText(UserName)});
         !rs.Eof(); rs.MoveNext())
        budgets.append({Base64::DecodeText(rs.Field(0)), MoneyCents(rs.FieldDouble(1))});
    return budgets;
}

void TclsDatabaseUser::SetBudget(const QString &UserName, const QString &Name, const QString &Money)
{
    const QString user = Base64::EncodeText(UserName), name = Base64::EncodeText(Name);
    TclsConnection db(FDatabaseFile);
    if (Money.trimmed().isEmpty() || (IsPlainDecimal(Money) && MoneyCents(ParseMoney(Money)) == 0)) {
        db.Execute("delete from Budget_Table where User_Name=? and Program_Name=?", {user, name});
        return;
    }
    if (!IsPlainDecimal(Money) || CheckAmount(Money) != TAmountCheck::Ok)
        throw TclsDatabaseError(QStringLiteral("预算金额“%1”无效，没有保存。").arg(Money).toStdString(), 0);
    // A category keeps its place in the list when its amount changes.
    db.Execute("insert into Budget_Table (User_Name,Program_Name,Budget_Money) values (?,?,?) "
               "on conflict (User_Name,Program_Name) do update set Budget_Money=excluded.Budget_Money",
               {user, name, Money});
}
