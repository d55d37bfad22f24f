#pragma once
// Imported pending rows carry their origin (source, order number,
// counterparty) until Finish saves it with their records.
#include "data/unt_clsDatabaseUser.h"

class QTreeWidget;
class QTreeWidgetItem;
struct TImportOrigin;

TImportOrigin RowOrigin(const QTreeWidgetItem *Row);
void SetRowOrigin(QTreeWidgetItem *Row, const TImportOrigin &Origin);
// Saves the origins of a panel's imported rows, and their counterparties'
// rules, in Finish's transaction; Names are the rows' categories in order.
TRecordsAddedHook PendingOriginsHook(const QTreeWidget *List, const QString &User, const QString &Type,
                                     const QStringList &Names);
