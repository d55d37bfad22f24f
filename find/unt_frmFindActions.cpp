// What the user does with results: correct one, delete some, export them.
#include "data/unt_clsAmount.h"
#include "data/unt_clsFindStore.h"
#include "find/unt_frmFind.h"
#include "panels/unt_frmModifyRecord.h"
#include "reports/unt_clsOutputs.h"
#include "ui/unt_clsListModel.h"
#include "ui/unt_clsLook.h"
#include "ui/unt_clsSession.h"
#include "ui/unt_clsWidgets.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTreeView>
#include <QTreeWidgetItem>

#include <algorithm>
#include <exception>

using namespace ReportRowsBuilder;

QList<qint64> TfrmFind::SelectedIds() const
{
    QList<qint64> ids;
    for (const QModelIndex &row : lvwFind->selectionModel()->selectedRows())
        ids << FIndex.Records().At(FResult.Rows[size_t(row.row())]).Id;
    return ids;
}

bool TfrmFind::InStep() const
{
    return FGeneration == TclsFindStore::LedgerWrites();
}

void TfrmFind::KeepInStep(bool WasInStep)
{
    if (WasInStep)
        FGeneration = TclsFindStore::LedgerWrites();
}

void TfrmFind::ModifyCurrent()
{
    const QModelIndex current = lvwFind->currentIndex();
    if (!current.isValid())
        return;
    const qsizetype record = FResult.Rows[size_t(current.row())];
    const qint64 id = FIndex.Records().At(record).Id;
    if (!ModifyInStore(record))
        return;
    Refresh();
    // The corrected record stays the current one while it still matches.
    const auto at = std::find(FResult.Rows.begin(), FResult.Rows.end(), FIndex.Records().IndexOfId(id));
    if (at != FResult.Rows.end()) {
        const QModelIndex row = FModel->index(int(at - FResult.Rows.begin()), 1);
        lvwFind->setCurrentIndex(row);
        lvwFind->scrollTo(row);
    }
}

bool TfrmFind::ModifyInStore(qsizetype Record)
{
    const TRangeRecords &records = FIndex.Records();
    const qint64 id = records.At(Record).Id;
    TfrmModifyRecord dialog(this);
    dialog.UserName = FSession.CurrentUser;
    dialog.RecordID = records.IdText(Record);
    // The dialog rewrites a list row on save; this one is only read back.
    QTreeWidgetItem saved(6);
    dialog.TargetRow = &saved;
    dialog.SetFields(records.DateText(Record), records.Name(Record), records.MoneyText(Record),
                     records.Memo(Record));
    PrepareFixedDialog(&dialog);
    const bool before = InStep();
    FSession.ActiveDialog = &dialog;
    const int answer = dialog.exec();
    FSession.ActiveDialog = nullptr;
    if (answer != QDialog::Accepted)
        return false;
    KeepInStep(before);
    const QString name = saved.text(3), memo = CellText(&saved, 5);
    const double money = ParseMoney(saved.text(4));
    FIndex.Change(id, name, money, memo);
    if (FFollow.Changed)
        FFollow.Changed(id, name, money, memo);
    return true;
}

void TfrmFind::btnFind_DeleteClick()
{
    const QList<qint64> ids = SelectedIds();
    if (ids.isEmpty()) {
        Say(QStringLiteral("请在上面的列表中选定一条记录，然后删除它。"), TMessageStyle::Warning);
        return;
    }
    if (!Say(QStringLiteral("您确定要删除指定的记录吗？"), TMessageStyle::Question))
        return;
    DeleteInStore(ids);
}

void TfrmFind::DeleteInStore(const QList<qint64> &Ids)
{
    // Record by record into the trash; when one fails, those before it are
    // gone and the screen says so, and the error names the cause.
    QList<qint64> removed;
    std::exception_ptr failure;
    const bool before = InStep();
    {
        TclsWaitCursor wait;
        try {
            for (const qint64 id : Ids) {
                FSession.Database->DeleteRecord(FSession.CurrentUser, QString::number(id));
                removed << id;
            }
        } catch (const std::exception &) {
            failure = std::current_exception();
        }
    }
    if (!removed.isEmpty()) {
        KeepInStep(before);
        for (const qint64 id : removed)
            FIndex.Remove(id);
        if (FFollow.Removed)
            FFollow.Removed(removed);
        Refresh();
        // A second Delete must never remove a record the user did not choose.
        lvwFind->selectionModel()->clear();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TfrmFind::btnFind_ExportClick()
{
    const TclsOutputs::TOwnedBy owned(FOutputs, this);
    QString type;
    const QString file = FOutputs.AskExportFileOfTypes({QStringLiteral("txt"), QStringLiteral("xls")},
                                                       QStringLiteral("查找结果"), type);
    if (file.isEmpty())
        return;
    // The results as the detail dialog lists them, a blank row, the summary.
    const TRangeRecords &records = FIndex.Records();
    const std::vector<qsizetype> rows = FResult.Rows;
    const qsizetype count = qsizetype(rows.size());
    const QByteArray summary = Bytes(SummaryText());
    if (type == QStringLiteral("xls")) {
        if (!FOutputs.ExcelRowsFit(false, count + 2, QStringLiteral("查找结果")))
            return;
        FOutputs.ExportExcel(file, false, count + 2, [&](qsizetype I) -> std::array<QByteArray, 5> {
            if (I < count)
                return RecordRow1(records, rows[size_t(I)]);
            if (I == count)
                return {};
            return {summary, {}, {}, {}, {}};
        });
        return;
    }
    ReportRows line;
    for (auto &column : line)
        column.resize(1);
    FOutputs.ExportText(file, Header1(), count + 2, [&](qsizetype I) -> QByteArray {
        if (I == count)
            return {};
        if (I > count)
            return summary;
        const std::array<QByteArray, 5> cells = RecordRow1(records, rows[size_t(I)]);
        for (int c = 0; c < 5; ++c)
            line[c][0] = cells[c];
        AlignRow1(line, 0);
        return JoinRow(line, 0);
    });
}
