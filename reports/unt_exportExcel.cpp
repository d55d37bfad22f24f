// The Excel export: the report rows appended to a copy of the layout's
// template workbook, one INSERT per row.
#include "data/unt_clsBase64.h"
#include "reports/unt_clsExcelConnection.h"
#include "reports/unt_clsOutputs.h"

#include <QFile>

namespace
{

QString TemplateFolderOverride;

QString Cell(const QByteArray &Bytes)
{
    return Base64::FromGB18030(Bytes);
}

// The rows a layout's template leaves for an export; -1 when it cannot be
// read (the export itself then says why).
int RowsLeftIn(const QString &TemplateFile)
{
    QFile file(TemplateFile);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    try {
        return TclsWorkbook::MaxRows - TclsWorkbook(file.readAll(), QStringLiteral("Sheet1")).UsedRows();
    } catch (const TclsWorkbookError &) {
        return -1;
    }
}

} // namespace

QString TclsOutputs::TemplateFolder()
{
    if (!TemplateFolderOverride.isEmpty())
        return TemplateFolderOverride;
    // Compiled in: the shared Database/ folder is any member's to write.
    return QStringLiteral(":/templates");
}

void TclsOutputs::SetTemplateFolder(const QString &Folder)
{
    TemplateFolderOverride = Folder;
}

void TclsOutputs::SaveReportExcel(bool Layout2)
{
    TRangeRecords own;
    const TRangeRecords *range = CollectRange(own);
    if (!range)
        return;
    const TReportSource source(*range, Layout2 ? TReportLayout::Layout2 : TReportLayout::Rows1);
    // Years of a busy household overflow a worksheet of this format: said
    // before the user picks a file and waits, with what to do instead.
    if (!ExcelRowsFit(Layout2, source.Count(), QStringLiteral("所选时间段的报表")))
        return;
    const QString file = AskRangeExportFile(Layout2, QStringLiteral("xls"));
    if (file.isEmpty())
        return;
    ExportExcel(file, Layout2, source.Count(), [&](qsizetype I) { return source.Row(I); });
}

QString TclsOutputs::ExcelTemplate(bool Layout2)
{
    return TemplateFolder() + (Layout2 ? QStringLiteral("/pondo2.xls") : QStringLiteral("/pondo.xls"));
}

bool TclsOutputs::ExcelRowsFit(bool Layout2, qsizetype Count, const QString &What)
{
    const int room = RowsLeftIn(ExcelTemplate(Layout2));
    if (room < 0 || Count <= room)
        return true;
    Say(QStringLiteral("%1共 %2 行，超出了 Excel 97-2003 工作表的容量（最多 %3 行）。"
                       "\r\n\r\n请缩短时间段分几次导出，或导出为文本文件。")
            .arg(What)
            .arg(Count)
            .arg(room),
        TMessageStyle::Warning);
    return false;
}

void TclsOutputs::ExportExcel(const QString &File, bool Layout2, qsizetype Count,
                              const std::function<std::array<QByteArray, 5>(qsizetype)> &Row)
{
    const QString head = Layout2
                             ? QStringLiteral("insert into [Sheet1$] (日期,项目,收入,支出,备注) values ('")
                             : QStringLiteral("insert into [Sheet1$] (日期,类别,项目,金额,备注) values ('");
    const QString sep = QStringLiteral("','");
    TclsExcelConnection connection;
    {
        TclsWaitCursor wait;
        connection.Open(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=Excel 8.0;Data Source=") +
                File,
            ExcelTemplate(Layout2));
        // One statement's room, kept from row to row.
        QString sql;
        auto add = [&sql](const QByteArray &Bytes, bool Quote) {
            const QString text = Cell(Bytes);
            sql += Quote && text.contains(QLatin1Char('\'')) ? QuoteSql(text) : text;
        };
        // Layout II's names and memos are quoted, and layout I's dates too.
        const bool quoted[5] = {!Layout2, Layout2, !Layout2, false, true};
        for (qsizetype i = 0; i < Count; ++i) {
            const std::array<QByteArray, 5> row = Row(i);
            sql.resize(0);
            sql += head;
            for (int c = 0; c < 5; ++c) {
                if (c > 0)
                    sql += sep;
                add(row[size_t(c)], quoted[c]);
            }
            sql += QStringLiteral("')");
            connection.Execute(sql);
        }
        connection.Close();
    }
    Say(QStringLiteral("导出成功！\r\n\r\n文件保存位置：\r\n") + File, TMessageStyle::Information);
}
