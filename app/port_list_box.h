#pragma once

#include <QComboBox>

// The port list of the main window. The wheel over the closed list is ignored, so a stray
// scroll cannot switch the line; rows are chosen by clicking or with the keyboard. Just before
// the rows drop down it says so, for the owner to bring them up to date.
class PortListBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;

signals:
    void aboutToShowRows();

protected:
    void wheelEvent(QWheelEvent* event) override;
};
