// ControlId: control ids kept as a dynamic property of the widget.
#include "gui/ControlId.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>
#include <QWidget>

namespace zel {

namespace {
constexpr const char* IdProperty = "zelControlId";
}

void setControlId(QWidget* control, int id) {
    control->setProperty(IdProperty, id);
}

int controlId(const QWidget* control) {
    return control ? control->property(IdProperty).toInt() : 0;
}

QWidget* findControl(const QWidget* dialog, int id) {
    if (!dialog)
        return nullptr;
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (controlId(child) == id)
            return child;
    return nullptr;
}

void setControlText(QWidget* control, const QString& text) {
    if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* caption = qobject_cast<QLabel*>(control))
        caption->setText(text);
}

MessageTarget* parentTarget(const QWidget* control) {
    return control ? dynamic_cast<MessageTarget*>(control->parentWidget()) : nullptr;
}

} // namespace zel
