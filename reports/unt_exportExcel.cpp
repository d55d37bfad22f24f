// The Excel export: the report rows appended to a copy of the layout's
// template workbook, one INSERT per row.
#include "data/unt_clsBase64.h"
#include "reports/unt_clsExcelConnection.h"
#include "reports/unt_clsOutputs.h"

#include <QCoreApplication>

namespace
{

QString TemplateFolderOverride;

QString Cell(const QByteArray &Bytes)
{
    return Base64::FromGB18030(Bytes);
}

} // namespace

QString TclsOutputs::TemplateFolder()
{
    if (!TemplateFolderOverride.isEmpty())
        return TemplateFolderOverride;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Database");
}

void TclsOutputs::SetTemplateFolder(const QString &Folder)
{
    TemplateFolderOverride = Folder;
}

void TclsOutputs::SaveReportExcel(bool Layout2)
{
    ReportRows rows;
    QString file;
    if (!BeginExport(Layout2, QStringLiteral("xls"), rows, file))
        return;
    const QString templateFile =
        TemplateFolder() + (Layout2 ? QStringLiteral("/pondo2.xls") : QStringLiteral("/pondo.xls"));
    const QString head = Layout2
                             ? QStringLiteral("insert into [Sheet1$] (日期,项目,收入,支出,备注) values ('")
                             : QStringLiteral("insert into [Sheet1$] (日期,类别,项目,金额,备注) values ('");
    const QString sep = QStringLiteral("','");
    TclsExcelConnection connection;
    {
        TclsWaitCursor wait;
        connection.Open(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=Excel 8.0;Data Source=") +
                file,
            templateFile);
        for (qsizetype i = 0; i < rows[0].size(); ++i) {
            const QString sql =
                Layout2
                    ? head + Cell(rows[0][i]) + sep + QuoteSql(Cell(rows[1][i])) + sep + Cell(rows[2][i]) +
                          sep + Cell(rows[3][i]) + sep + QuoteSql(Cell(rows[4][i])) + QStringLiteral("')")
                    : head + Cell(rows[0][i]) + sep + Cell(rows[1][i]) + sep + QuoteSql(Cell(rows[2][i])) +
                          sep + Cell(rows[3][i]) + sep + QuoteSql(Cell(rows[4][i])) + QStringLiteral("')");
            connection.Execute(sql);
        }
        connection.Close();
    }
    FSession.Say(QStringLiteral("导出成功！\r\n\r\n文件保存位置：\r\n") + file, TMessageStyle::Information);
}
