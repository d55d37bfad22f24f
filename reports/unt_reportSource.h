#pragma once
// The rows of an output made one at a time from the compact records, as the
// printer, the text file or the workbook asks for them: the same cells the
// whole-range functions make (BuildRows1, then AlignAmounts1 or
// ConvertRows2), without ever holding the range as rows.
#include "reports/unt_reportRows.h"

enum class TReportLayout {
    Rows1,    // layout I as the workbook takes it
    Aligned1, // layout I printed and saved as text: amounts right-aligned
    Layout2,  // layout II
};

class TReportSource
{
  public:
    // Records must outlive the source.
    TReportSource(const TRangeRecords &Records, TReportLayout Layout);
    qsizetype Count() const;
    std::array<QByteArray, 5> Row(qsizetype I) const;
    QByteArray Line(qsizetype I) const;

  private:
    std::array<QByteArray, 5> PlainRow2(qsizetype I) const;
    const TRangeRecords &FRecords;
    TReportLayout FLayout;
    ReportRows FSummary; // the rows after the records, laid out whole
    mutable ReportRows FScratch;
    mutable ReportRowsBuilder::TRecordCells FCells;
};
