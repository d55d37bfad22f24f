#include "data/unt_clsImportStore.h"

#include "data/unt_clsBase64.h"
#include "data/unt_clsConnection.h"

#include <cmath>

using Base64::DecodeText;
using Base64::EncodeText;

namespace ImportStore
{
namespace
{
const QString LayoutKind = QStringLiteral("布局");
} // namespace

QHash<QString, QString> ImportedOrders(const QString &File, const QString &User)
{
    TclsConnection db(File);
    QHash<QString, QString> orders, names;
    for (auto rs = db.Query("select o.Order_No,a.Program_Name from Import_Orders o join All_Table a "
                            "on a.ID=o.Record_ID where a.User_Name=?",
                            {EncodeText(User)});
         !rs.Eof(); rs.MoveNext()) {
        const QString stored = rs.Field(1);
        auto name = names.constFind(stored);
        if (name == names.constEnd())
            name = names.insert(stored, DecodeText(stored));
        orders.insert(DecodeText(rs.Field(0)), name.value());
    }
    return orders;
}

QHash<QString, int> StoredCounts(const QString &File, const QString &User, const QDate &From, const QDate &To)
{
    TclsConnection db(File);
    QHash<QString, int> counts;
    QHash<QString, QString> types;
    for (auto rs = db.Query("select Program_Date,Program_Type,Program_Money from All_Table "
                            "where User_Name=? and Program_Date>=? and Program_Date<=?",
                            {EncodeText(User), From.toString(Qt::ISODate), To.toString(Qt::ISODate)});
         !rs.Eof(); rs.MoveNext()) {
        const QString stored = rs.Field(1);
        auto type = types.constFind(stored);
        if (type == types.constEnd())
            type = types.insert(stored, DecodeText(stored));
        const qint64 cents = std::llround(rs.FieldDouble(2) * 100);
        ++counts[rs.Field(0) + QLatin1Char('|') + type.value() + QLatin1Char('|') + QString::number(cents)];
    }
    return counts;
}

QHash<QString, QString> CounterpartyRules(const QString &File, const QString &User)
{
    TclsConnection db(File);
    QHash<QString, QString> rules;
    for (auto rs = db.Query("select Rule_Kind,Rule_Key,Rule_Value from Import_Rules where User_Name=? "
                            "and Rule_Kind<>?",
                            {EncodeText(User), EncodeText(LayoutKind)});
         !rs.Eof(); rs.MoveNext())
        rules.insert(DecodeText(rs.Field(0)) + QLatin1Char('\n') + DecodeText(rs.Field(1)),
                     DecodeText(rs.Field(2)));
    return rules;
}

QString LayoutMapping(const QString &File, const QString &User, const QString &LayoutKey)
{
    TclsConnection db(File);
    auto rs = db.Query("select Rule_Value from Import_Rules where User_Name=? and Rule_Kind=? and Rule_Key=?",
                       {EncodeText(User), EncodeText(LayoutKind), EncodeText(LayoutKey)});
    return rs.Eof() ? QString() : DecodeText(rs.Field(0));
}

void SaveLayoutMapping(const QString &File, const QString &User, const QString &LayoutKey,
                       const QString &Mapping)
{
    TclsConnection db(File);
    db.Execute("insert into Import_Rules (User_Name,Rule_Kind,Rule_Key,Rule_Value) values (?,?,?,?) "
               "on conflict (User_Name,Rule_Kind,Rule_Key) do update set Rule_Value=excluded.Rule_Value",
               {EncodeText(User), EncodeText(LayoutKind), EncodeText(LayoutKey), EncodeText(Mapping)});
}

void SaveOrigins(TclsConnection &Db, const QString &User, const QString &Type, const QList<qint64> &Ids,
                 const QStringList &Names, const QList<TImportOrigin> &Origins)
{
    bool any = false;
    for (const TImportOrigin &origin : Origins)
        any = any || !origin.OrderNo.isEmpty();
    if (!any)
        return;
    const QString user = EncodeText(User), kind = EncodeText(Type);
    for (qsizetype i = 0; i < Origins.size() && i < Ids.size(); ++i) {
        const TImportOrigin &origin = Origins[i];
        if (origin.OrderNo.isEmpty())
            continue;
        Db.Execute(
            "insert into Import_Orders (Record_ID,Import_Source,Order_No) values (?,?,?) on conflict "
            "(Record_ID) do update set Import_Source=excluded.Import_Source,Order_No=excluded.Order_No",
            {Ids[i], EncodeText(origin.Source), EncodeText(origin.OrderNo)});
        if (!origin.Counterparty.isEmpty() && origin.Counterparty != QStringLiteral("/"))
            Db.Execute(
                "insert into Import_Rules (User_Name,Rule_Kind,Rule_Key,Rule_Value) values (?,?,?,?) "
                "on conflict (User_Name,Rule_Kind,Rule_Key) do update set Rule_Value=excluded.Rule_Value",
                {user, kind, EncodeText(origin.Counterparty), EncodeText(Names[i])});
    }
}
} // namespace ImportStore
