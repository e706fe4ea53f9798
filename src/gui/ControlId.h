// ControlId: the dialog control id of a widget, and the parent that hears its notifications.
#pragma once

#include "platform/MessageTarget.h"

class QString;
class QWidget;

namespace zel {

void setControlId(QWidget* control, int id);
// The id given with setControlId, or 0.
int controlId(const QWidget* control);
// The direct child of `dialog` with the given control id, or null (the dialog's GetDlgItem).
QWidget* findControl(const QWidget* dialog, int id);
// Sets the text a control shows: a group box's title, a button's or a static text's text.
void setControlText(QWidget* control, const QString& text);
// The control's parent widget when that parent receives window messages, else null.
MessageTarget* parentTarget(const QWidget* control);

} // namespace zel
