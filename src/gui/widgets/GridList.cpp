// CGridList: a read-only, single-selection QTableWidget with numbered rows.
#include "gui/widgets/GridList.h"

#include <QHeaderView>
#include <QSignalBlocker>

namespace zel {

CGridList::CGridList(QWidget* parent) : QTableWidget(0, 2, parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setAlternatingRowColors(true);
    setWordWrap(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
        if (const int row = selectedRow(); row > 0)
            emit rowSelected(row);
    });
}

void CGridList::setHeaderTexts(const QString& number, const QString& name) {
    setHorizontalHeaderLabels({number, name});
}

void CGridList::refill(const std::vector<std::string>& names, int selected) {
    const QSignalBlocker quiet(this);
    clearContents();
    setRowCount(static_cast<int>(names.size()));
    for (int k = 0; k < rowCount(); ++k) {
        auto* number = new QTableWidgetItem(QString::number(k + 1));
        number->setTextAlignment(Qt::AlignCenter);
        setItem(k, 0, number);
        setItem(k, 1,
                new QTableWidgetItem(QString::fromStdString(names[static_cast<std::size_t>(k)])));
    }
    if (selected > 0 && selected <= rowCount())
        QTableWidget::selectRow(selected - 1);
    else
        clearSelection();
}

int CGridList::selectedRow() const {
    const QList<QTableWidgetItem*> items = selectedItems();
    return items.isEmpty() ? 0 : items.front()->row() + 1;
}

void CGridList::selectRow(int row) {
    if (row > 0 && row <= rowCount())
        QTableWidget::selectRow(row - 1);
}

} // namespace zel
