#pragma once
// Appends rows to a worksheet with SQL INSERT statements, the way a database
// driver for workbooks takes them:
//   insert into [Sheet1$] (col,...) values ('text',...)
// The workbook is built in memory from a template and written to the data
// source only by Close(), whole, through a temporary file: a failure at any
// statement leaves the file of that name as it was.
#include "reports/workbook/unt_clsWorkbook.h"

#include <QString>

#include <memory>

class TclsExcelConnection
{
  public:
    TclsExcelConnection();
    ~TclsExcelConnection();
    // ConnectionString ends in "Data Source=" and the target file's name.
    void Open(const QString &ConnectionString, const QString &TemplateFile);
    void Execute(const QString &Sql);
    void Close();

    // A statement's parts; throws TclsWorkbookError on a malformed one.
    struct TInsert {
        QString Table;
        QStringList Columns;
        QStringList Values;
    };
    static TInsert ParseInsert(const QString &Sql);

  private:
    static qsizetype ParseHead(const QString &Sql, TInsert &Insert);
    static QStringList ParseValues(const QString &Sql, qsizetype At);
    QString FTarget;
    QString FHead;
    TInsert FInsert;
    QByteArray FTemplate;
    QString FSheet;
    std::unique_ptr<TclsWorkbook> FBook;
    QStringList FLastColumns;
    QStringList FRow;
    QList<int> FLastIndexes;
};

// Q(x) of a statement: every apostrophe doubled.
QString QuoteSql(const QString &Text);
