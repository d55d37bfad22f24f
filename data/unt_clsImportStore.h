#pragma once
// What imports remember: the order number of every imported record (so a
// bill imported twice adds nothing), and per user the category last given
// to each counterparty and the columns chosen for each unknown bill layout.
// Tables Import_Orders and Import_Rules, made by the schema's upgrade steps.
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

class TclsConnection;

// One pending row's origin: empty OrderNo for a typed row.
struct TImportOrigin {
    QString Source, OrderNo, Counterparty;
};

namespace ImportStore
{
// Saved order numbers of the user's existing records -> their category.
QHash<QString, QString> ImportedOrders(const QString &File, const QString &User);
// "yyyy-mm-dd|type|cents" -> number of the user's records in the range.
QHash<QString, int> StoredCounts(const QString &File, const QString &User, const QDate &From,
                                 const QDate &To);
// Type + "\n" + counterparty -> category.
QHash<QString, QString> CounterpartyRules(const QString &File, const QString &User);
QString LayoutMapping(const QString &File, const QString &User, const QString &LayoutKey);
void SaveLayoutMapping(const QString &File, const QString &User, const QString &LayoutKey,
                       const QString &Mapping);

// Inside the transaction that inserted the records Ids (one per name, in
// order): their order numbers and the counterparties' rules.
void SaveOrigins(TclsConnection &Db, const QString &User, const QString &Type, const QList<qint64> &Ids,
                 const QStringList &Names, const QList<TImportOrigin> &Origins);
} // namespace ImportStore
