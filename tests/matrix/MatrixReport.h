#pragma once

// The results of the fault matrix, collected cell by cell and written as a Markdown table:
// operations as rows, faults as columns, each cell the outcome shown and whether it was the
// one defined.

#include <QMap>
#include <QPair>
#include <QString>

#include "FaultCells.h"

class MatrixReport {
  public:
    struct Cell {
        QString shown;     // what the window showed
        QString expected;  // what it should have shown
        bool pass = false;
    };

    // The cell's record, made on first use; a cell counts as failed until marked passed.
    Cell& At(Operation operation, Fault fault);
    bool Complete() const;
    int Failures() const;
    // The whole table with its legend; true when the file was written. It holds nothing that
    // changes from run to run but the outcomes.
    bool Write(const QString& path) const;

  private:
    QString Markdown() const;

    QMap<QPair<int, int>, Cell> cells_;
};
