// CGridList: the list of PC modes as a table view - a header row, one row per entry with a
// number and a name column, and the selection reported as a row number in which the header
// row counts as row 0.
#pragma once

#include <QTableWidget>

#include <string>
#include <vector>

namespace zel {

class CGridList : public QTableWidget {
    Q_OBJECT

public:
    explicit CGridList(QWidget* parent = nullptr);

    // Sets the header texts of the two columns.
    void setHeaderTexts(const QString& number, const QString& name);
    // Refills the list: entry k shows k + 1 and names[k]. `selectedRow` (1-based) is shown
    // selected when it is within the list; no rowSelected is reported for it.
    void refill(const std::vector<std::string>& names, int selectedRow);
    // The row on show as selected, 1-based; 0 when none is.
    int selectedRow() const;
    // Selects `row` (1-based) as a click on it does, reporting rowSelected.
    void selectRow(int row);

signals:
    // The operator selected entry `row` (1-based: row 0 is the header).
    void rowSelected(int row);
};

} // namespace zel
