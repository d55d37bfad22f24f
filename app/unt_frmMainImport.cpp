// Importing a bill: the file (menu or drop), the password of a ZIP, the
// columns of an unknown layout, the import dialog, and the checked rows into
// the entry panels' pending lists.
#include "app/unt_frmMain.h"
#include "data/unt_clsAmount.h"
#include "data/unt_clsImportStore.h"
#include "import/unt_clsBillFile.h"
#include "panels/unt_frmImport.h"
#include "panels/unt_frmImportMapping.h"
#include "panels/unt_importBill.h"
#include "ui/unt_clsWidgets.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QTreeWidget>

#include <new>

namespace
{
const QStringList BillSuffixes{"csv", "xlsx", "xls", "txt", "zip"};

QString DroppedBill(const QMimeData *Data)
{
    if (!Data || !Data->hasUrls() || Data->urls().size() != 1)
        return {};
    const QString file = Data->urls().first().toLocalFile();
    return BillSuffixes.contains(QFileInfo(file).suffix().toLower()) ? file : QString();
}

// Fields that take dropped text would swallow a dropped bill as its path:
// on them a bill still goes to the import.
class TBillDropFilter : public QObject
{
  public:
    TBillDropFilter(QObject *Parent, std::function<void(const QString &)> Import)
        : QObject(Parent), FImport(std::move(Import))
    {
    }
    bool eventFilter(QObject *, QEvent *Event) override
    {
        const auto type = Event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        auto *drop = static_cast<QDropEvent *>(Event);
        const QString file = DroppedBill(drop->mimeData());
        if (file.isEmpty())
            return false;
        drop->acceptProposedAction();
        if (type == QEvent::Drop)
            FImport(file);
        return true;
    }

  private:
    std::function<void(const QString &)> FImport;
};

} // namespace

void TfrmMain::SetupImport()
{
    FBrowse->MoreMenu()->addSeparator();
    QAction *action = FBrowse->MoreMenu()->addAction(QStringLiteral("导入账单(&M)..."));
    action->setObjectName(QStringLiteral("mnuInAndOut_More_Import"));
    connect(action, &QAction::triggered, this,
            [this] { RunGuarded(this, [this] { mnuInAndOut_More_ImportClick(); }); });
    setAcceptDrops(true);
    auto *filter = new TBillDropFilter(this, [this](const QString &File) {
        QMetaObject::invokeMethod(
            this, [this, File] { RunGuarded(this, [this, File] { ImportBill(File); }); },
            Qt::QueuedConnection);
    });
    for (QWidget *child : findChildren<QWidget *>())
        if (child->acceptDrops())
            child->installEventFilter(filter);
}

void TfrmMain::mnuInAndOut_More_ImportClick()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgImport"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("账单文件 (*.csv *.xlsx *.xls *.txt *.zip)"));
    if (ExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ImportBill(dialog.selectedFiles().first());
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *Event)
{
    if (!DroppedBill(Event->mimeData()).isEmpty())
        Event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *Event)
{
    const QString file = DroppedBill(Event->mimeData());
    if (file.isEmpty())
        return;
    Event->acceptProposedAction();
    // Not inside the drop: the dialogs that follow need their own loop.
    QMetaObject::invokeMethod(
        this, [this, file] { RunGuarded(this, [this, file] { ImportBill(file); }); }, Qt::QueuedConnection);
}

bool TfrmMain::AskZipPassword(bool Again, QString &Password)
{
    if (Again)
        Say(QStringLiteral("密码不正确，请重新输入。"), TMessageStyle::Warning);
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgImportPassword"));
    dialog.setWindowTitle(AppTitle);
    dialog.setLabelText(QStringLiteral("请输入压缩包密码："));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (ExecDialog(&dialog) != QDialog::Accepted)
        return false;
    Password = dialog.textValue();
    return true;
}

bool TfrmMain::ReadBill(const QString &File, TBill &Bill, QStringList &Mapping)
{
    std::optional<TBillTable> table;
    QString note;
    try {
        TclsWaitCursor wait;
        table = BillFile::Read(
            File,
            [this](bool Again, QString &Password) {
                QApplication::restoreOverrideCursor();
                auto back = qScopeGuard([] { QApplication::setOverrideCursor(Qt::WaitCursor); });
                return AskZipPassword(Again, Password);
            },
            &note);
    } catch (const TclsImportError &error) {
        Say(error.Text(), TMessageStyle::Warning);
        return false;
    } catch (const std::bad_alloc &) {
        Say(QStringLiteral("内存不足，无法读取文件“%1”。").arg(File), TMessageStyle::Warning);
        return false;
    }
    if (!table)
        return false;
    if (!note.isEmpty())
        Say(note, TMessageStyle::Information);
    const BillFormats::TLayout layout = BillFormats::Recognise(*table);
    if (layout.Kind != BillFormats::TKnown::None) {
        Bill = BillFormats::Read(*table, layout);
    } else {
        const int header = BillFormats::GuessHeaderRow(*table);
        if (header < 0) {
            Say(QStringLiteral("无法识别的账单格式。\r\n\r\n查找的列：\r\n") + BillFormats::LookedFor(),
                TMessageStyle::Warning);
            return false;
        }
        const QStringList columns = (*table)[header];
        const QString key = BillFormats::LayoutKey(columns);
        TBillMapping mapping =
            TBillMapping::Load(ImportStore::LayoutMapping(Database->DatabaseFile(), CurrentUser, key));
        if (!mapping.IsUsable()) {
            TfrmImportMapping dialog(this, columns, BillFormats::GuessMapping(columns));
            if (ExecDialog(&dialog) != QDialog::Accepted)
                return false;
            mapping = dialog.Mapping();
            Mapping = {key, mapping.Save()}; // remembered once the rows are taken
        }
        Bill = BillFormats::ReadMapped(*table, header, mapping);
    }
    if (Bill.Rows.isEmpty()) {
        Say(QStringLiteral("文件里没有可以导入的记录。"), TMessageStyle::Warning);
        return false;
    }
    return true;
}

void TfrmMain::ImportBill(const QString &File)
{
    TBill bill;
    QStringList mapping;
    if (!ReadBill(File, bill, mapping))
        return;
    TImportContext context;
    {
        TclsWaitCursor wait;
        Database->GetProgramNames(CurrentUser, context.OutNames, context.InNames);
        QDate from, to;
        for (const TBillRow &row : std::as_const(bill.Rows))
            if (row.Date.isValid()) {
                from = from.isValid() ? std::min(from, row.Date) : row.Date;
                to = to.isValid() ? std::max(to, row.Date) : row.Date;
            }
        const QString file = Database->DatabaseFile();
        context.Imported = ImportStore::ImportedOrders(file, CurrentUser);
        if (from.isValid())
            context.Stored = ImportStore::StoredCounts(file, CurrentUser, from, to);
        context.Rules = ImportStore::CounterpartyRules(file, CurrentUser);
        for (const TEntryPanel *panel : {FOut, FIn})
            for (int i = 0; i < panel->List->topLevelItemCount(); ++i)
                context.Pending.insert(RowOrigin(panel->List->topLevelItem(i)).OrderNo);
    }
    TfrmImport dialog(this, ImportCheck::Check(bill, context), context.OutNames, context.InNames);
    if (ExecDialog(&dialog) != QDialog::Accepted)
        return;
    if (!mapping.isEmpty())
        ImportStore::SaveLayoutMapping(Database->DatabaseFile(), CurrentUser, mapping[0], mapping[1]);
    const QList<TImportRow> rows = dialog.CheckedRows();
    int outRows = 0;
    for (const TImportRow &row : rows) {
        TEntryPanel &panel = row.Type == QStringLiteral("收入") ? *FIn : *FOut;
        QTreeWidgetItem *item =
            MakeRow(panel.List, {row.Bill.Date.toString(Qt::ISODate), panel.Type(), row.Name,
                                 FormatMoney(double(row.Bill.Cents) / 100.0), row.Memo});
        SetRowOrigin(item, {bill.Source, row.Key, row.Bill.Counterparty});
        panel.List->addTopLevelItem(item);
        outRows += panel.Expense ? 1 : 0;
    }
    FOut->ShowTotal();
    FIn->ShowTotal();
    if (rows.isEmpty())
        return;
    QRadioButton *target = outRows > 0 ? rdoOut : rdoIn;
    target->setChecked(true);
    SelectPanel(target);
    Say(QStringLiteral("已导入 %1 条记录到待保存列表，请检查后点“完成”保存。").arg(rows.size()),
        TMessageStyle::Information);
}
