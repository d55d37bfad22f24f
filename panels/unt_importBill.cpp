// Imported pending rows carry their origin until Finish saves it.
#include "panels/unt_importBill.h"

#include "data/unt_clsImportStore.h"

#include <QTreeWidget>

TImportOrigin RowOrigin(const QTreeWidgetItem *Row)
{
    const QStringList parts = Row->data(0, Qt::UserRole).toStringList();
    return parts.size() == 3 ? TImportOrigin{parts[0], parts[1], parts[2]} : TImportOrigin{};
}

void SetRowOrigin(QTreeWidgetItem *Row, const TImportOrigin &Origin)
{
    Row->setData(0, Qt::UserRole, QStringList{Origin.Source, Origin.OrderNo, Origin.Counterparty});
}

TRecordsAddedHook PendingOriginsHook(const QTreeWidget *List, const QString &User, const QString &Type,
                                     const QStringList &Names)
{
    QList<TImportOrigin> origins;
    for (int i = 0; i < List->topLevelItemCount(); ++i)
        origins << RowOrigin(List->topLevelItem(i));
    return [=](TclsConnection &Db, const QList<qint64> &Ids) {
        ImportStore::SaveOrigins(Db, User, Type, Ids, Names, origins);
    };
}
