#pragma once

#include "ports/port_catalog.h"
#include "ports/port_probe.h"
#include "ui/layout.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTableWidget>

// "Ports": COM1 to COM16 with device, description, state and how each number was given. The
// operator gives the selected number a present adapter, any device path or a network address,
// or frees it; OK keeps the changes for the owner to store (changes()), Cancel forgets them.
class PortsDialog : public QDialog {
    Q_OBJECT
public:
    // The states are `probe`'s, the same every view shows; a network port's row changes when
    // its answer comes. `heldKey` is the line this program holds (in use here).
    PortsDialog(const PortCatalog& catalog, const PortProbe& probe, QString heldKey,
                QWidget* parent = nullptr);

    static const WindowLayout& layout();

    // Column of the table.
    enum Column { PortColumn, DeviceColumn, DescriptionColumn, StateColumn, GivenColumn };

    // What the operator changed, in order.
    const QList<PortCatalog::Change>& changes() const { return changes_; }

private:
    void buildControls();
    void cmdAssign_Click();
    void cmdFree_Click();
    void fillRow(ComPort port, const PortAddress& address, const QString& given);
    // The state column of `port`: from the probe of the numbers changed here, else the window's.
    void showState(ComPort port);
    void probeChanges();

    const PortCatalog& catalog_;
    const PortProbe& probe_;
    QString heldKey_;
    QList<PortCatalog::Change> changes_;
    QMap<ComPort, PortAddress> changed_;
    PortProbe changedProbe_;

    QLabel* lblProblem;
    QTableWidget* tblPorts;
    QLabel* lblDevice;
    QComboBox* cboDevice;
    QPushButton* cmdAssign;
    QPushButton* cmdFree;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
