// CDropListButton: the skinned drop-down button, a bitmap face that opens a short list of texts.
#pragma once

#include "platform/MessageTarget.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QListWidget;

namespace zel {

// Shows the current item's text on its face image and, while its list is open, the open
// image. Choosing an item makes it current and posts WM_DROPLIST_SELECTED to the parent
// (wParam = list id, lParam = item index). Left and Right are posted as WM_BAND_NAVIGATE
// (wParam = control id, lParam = the key), so that a page can walk its band strips from here
// as from the strips' entries.
class CDropListButton : public QWidget {
    Q_OBJECT

public:
    explicit CDropListButton(QWidget* parent = nullptr);

    // Face images by number: normal and list open; both must exist.
    bool setBitmaps(int normalId, int openId);
    void setCurrentBitmap(int id);
    void setListId(int id) { m_listId = id; }
    int listId() const { return m_listId; }

    void addItem(const QString& text);
    int count() const { return static_cast<int>(m_items.size()); }
    QString itemText(int index) const;
    // Index of the current item, or -1 when there is none.
    int getCurSel() const { return m_current; }
    // Makes an item current without notifying; an index outside the list clears it.
    void setCurSel(int index);

    void showList();
    bool isListOpen() const;
    // The open list, or null; for tests and the developer shots.
    QListWidget* list() const { return m_list; }

    void setNotifyTarget(MessageTarget* target) { m_target = target; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void choose(int index);
    void closeList();
    MessageTarget* target() const;

    int m_normalId = 0;
    int m_openId = 0;
    int m_shownId = 0;
    int m_listId = 0;
    int m_current = -1;
    QStringList m_items;
    QListWidget* m_list = nullptr;
    MessageTarget* m_target = nullptr;
};

} // namespace zel
