#include "reports/unt_clsExcelConnection.h"

#include "reports/unt_reportFiles.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace
{

[[noreturn]] void BadStatement(const QString &Sql)
{
    throw TclsWorkbookError(QStringLiteral("无法执行语句：\n%1").arg(Sql.left(200)));
}

} // namespace

TclsExcelConnection::TclsExcelConnection() = default;
TclsExcelConnection::~TclsExcelConnection() = default;

QString QuoteSql(const QString &Text)
{
    QString quoted = Text;
    return quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
}

void TclsExcelConnection::Open(const QString &ConnectionString, const QString &TemplateFile)
{
    const QString key = QStringLiteral("Data Source=");
    const qsizetype at = ConnectionString.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0 || ConnectionString.mid(at + key.size()).trimmed().isEmpty())
        throw TclsWorkbookError(QStringLiteral("连接字符串中没有数据源。"));
    FTarget = ConnectionString.mid(at + key.size()).trimmed();
    QFile file(TemplateFile);
    if (!file.open(QIODevice::ReadOnly))
        throw TclsWorkbookError(
            QStringLiteral("无法读取模板工作簿“%1”：\n%2").arg(TemplateFile, file.errorString()));
    FTemplate = file.readAll();
    FBook.reset();
    FHead.clear();
    // Checked now, so a damaged template is reported before any statement.
    CompoundFile::ReadStream(FTemplate, QStringLiteral("Workbook"));
}

TclsExcelConnection::TInsert TclsExcelConnection::ParseInsert(const QString &Sql)
{
    TInsert insert;
    const qsizetype at = ParseHead(Sql, insert);
    insert.Values = ParseValues(Sql, at);
    if (insert.Values.size() != insert.Columns.size())
        BadStatement(Sql);
    return insert;
}

qsizetype TclsExcelConnection::ParseHead(const QString &Sql, TInsert &Insert)
{
    static const QRegularExpression head(
        QStringLiteral(R"(^\s*insert\s+into\s+\[([^\]]+)\]\s*\(([^)]*)\)\s*values\s*\()"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = head.match(Sql);
    if (!match.hasMatch())
        BadStatement(Sql);
    Insert.Table = match.captured(1);
    if (Insert.Table.endsWith(QLatin1Char('$')))
        Insert.Table.chop(1);
    Insert.Columns.clear();
    for (const QString &name : match.captured(2).split(QLatin1Char(',')))
        Insert.Columns << name.trimmed();
    return match.capturedEnd(0);
}

QStringList TclsExcelConnection::ParseValues(const QString &Sql, qsizetype At)
{
    QStringList values;
    auto skipBlanks = [&] {
        while (At < Sql.size() && Sql[At].isSpace())
            ++At;
    };
    for (;;) {
        skipBlanks();
        if (At >= Sql.size() || Sql[At] != QLatin1Char('\''))
            BadStatement(Sql);
        QString value;
        for (++At;;) {
            const qsizetype quote = Sql.indexOf(QLatin1Char('\''), At);
            if (quote < 0)
                BadStatement(Sql);
            value += QStringView(Sql).mid(At, quote - At);
            At = quote + 1;
            if (At < Sql.size() && Sql[At] == QLatin1Char('\'')) {
                value += QLatin1Char('\'');
                ++At;
                continue;
            }
            break;
        }
        values << value;
        skipBlanks();
        if (At < Sql.size() && Sql[At] == QLatin1Char(',')) {
            ++At;
            continue;
        }
        if (At < Sql.size() && Sql[At] == QLatin1Char(')')) {
            ++At;
            break;
        }
        BadStatement(Sql);
    }
    skipBlanks();
    if (At != Sql.size())
        BadStatement(Sql);
    return values;
}

void TclsExcelConnection::Execute(const QString &Sql)
{
    if (FTemplate.isNull())
        throw TclsWorkbookError(QStringLiteral("工作簿连接尚未打开。"));
    // The statements of an export share their head: parse it once.
    if (FHead.isEmpty() || !Sql.startsWith(FHead)) {
        const qsizetype at = ParseHead(Sql, FInsert);
        FHead = Sql.left(at);
    }
    TInsert &insert = FInsert;
    insert.Values = ParseValues(Sql, FHead.size());
    if (insert.Values.size() != insert.Columns.size())
        BadStatement(Sql);
    if (!FBook) {
        FBook = std::make_unique<TclsWorkbook>(FTemplate, insert.Table);
        FSheet = insert.Table;
    } else if (insert.Table.compare(FSheet, Qt::CaseInsensitive) != 0) {
        throw TclsWorkbookError(QStringLiteral("只能向一个工作表添加行：“%1”。").arg(FSheet));
    }
    // Every statement of an export names the same columns: match them once.
    if (insert.Columns != FLastColumns) {
        const QStringList header = FBook->Columns();
        QList<int> indexes;
        for (const QString &name : insert.Columns) {
            const auto found = std::find_if(header.begin(), header.end(), [&](const QString &Column) {
                return Column.compare(name, Qt::CaseInsensitive) == 0;
            });
            const qsizetype index = found == header.end() ? -1 : found - header.begin();
            if (index < 0)
                throw TclsWorkbookError(QStringLiteral("工作表“%1”的第一行中没有列“%2”。").arg(FSheet, name));
            indexes << static_cast<int>(index);
        }
        FLastColumns = insert.Columns;
        FLastIndexes = indexes;
        FRow = QStringList(header.size());
    }
    // One row's room, kept: a full sheet is sixty thousand statements, and
    // the cells no statement names stay empty.
    for (qsizetype i = 0; i < FLastIndexes.size(); ++i)
        FRow[FLastIndexes[i]] = insert.Values[i];
    FBook->AppendRow(FRow);
}

void TclsExcelConnection::Close()
{
    if (FTemplate.isNull())
        return;
    // A connection without statements still leaves the template's copy.
    WriteWholeFile(FTarget, FBook ? FBook->Save() : FTemplate);
    FTemplate.clear();
    FBook.reset();
}
