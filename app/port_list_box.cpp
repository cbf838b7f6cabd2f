#include "app/port_list_box.h"

#include <QAbstractItemView>
#include <QWheelEvent>

void PortListBox::showPopup() {
    emit aboutToShowRows();
    QComboBox::showPopup();
}

void PortListBox::wheelEvent(QWheelEvent* event) {
    // In the open list the wheel scrolls the rows (the list's own view gets it); over the
    // closed list it must not change the port.
    if (view()->isVisible()) {
        QComboBox::wheelEvent(event);
        return;
    }
    event->ignore();
}
