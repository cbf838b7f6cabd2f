#pragma once

#include "link/port_catalog.h"
#include "ui/layout.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTableWidget>
#include <functional>

// "Ports": COM1 to COM16 with device, description, state and how each number was given. The
// operator gives the selected number a present adapter or any device path, or frees it; OK
// keeps the changes for the owner to store (changes()), Cancel forgets them.
class PortsDialog : public QDialog {
    Q_OBJECT
public:
    // `stateOf` says in a word or two how a device is now ("present", "in use", ...).
    PortsDialog(const PortCatalog& catalog, std::function<QString(const QString&)> stateOf,
                QWidget* parent = nullptr);

    static const WindowLayout& layout();

    // Column of the table.
    enum Column { PortColumn, DeviceColumn, DescriptionColumn, StateColumn, GivenColumn };

    // What the operator changed, in order.
    const QList<PortCatalog::Change>& changes() const { return changes_; }

    QLabel* lblProblem;
    QTableWidget* tblPorts;
    QLabel* lblDevice;
    QComboBox* cboDevice;
    QPushButton* cmdAssign;
    QPushButton* cmdFree;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void cmdAssign_Click();
    void cmdFree_Click();

private:
    void buildControls();
    void fillRow(int port, const QString& device, const QString& given);

    const PortCatalog& catalog_;
    std::function<QString(const QString&)> stateOf_;
    QList<PortCatalog::Change> changes_;
};
