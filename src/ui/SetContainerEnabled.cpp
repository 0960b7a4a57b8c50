#include "ui/SetContainerEnabled.h"

#include <QFrame>
#include <QGroupBox>
#include <QWidget>

namespace corvantis {

namespace {

// Only plain containers are walked: a control's own inner widgets (a combo box's popup, a
// spin box's editor) follow their control.
bool isContainer(const QWidget *widget)
{
    const QMetaObject *type = widget->metaObject();
    return type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject ||
           qobject_cast<const QGroupBox *>(widget) != nullptr;
}

} // namespace

void SetContainerEnabled(QWidget *container, bool enabled)
{
    if (!container)
        return;
    container->setEnabled(enabled);
    const auto children = container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow())
            continue;
        if (isContainer(child))
            SetContainerEnabled(child, enabled);
        else
            child->setEnabled(enabled);
    }
}

} // namespace corvantis
