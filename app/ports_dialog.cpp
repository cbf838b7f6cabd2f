#include "app/ports_dialog.h"

#include "ports/port_rows.h"
#include "ui/required_child.h"

#include <QHeaderView>

PortsDialog::PortsDialog(const PortCatalog& catalog, const PortProbe& probe, QString heldKey,
                         QWidget* parent)
    : QDialog(parent), catalog_(catalog), probe_(probe), heldKey_(std::move(heldKey)) {
    buildControls();
    for (const PortRow& row : portRows(catalog_, probe_.states()))
        fillRow(row.port, row.address, row.given);
    tblPorts->selectRow(0);
    connect(&probe_, &PortProbe::stateKnown, this, &PortsDialog::showState);
    connect(&changedProbe_, &PortProbe::stateKnown, this, &PortsDialog::showState);
}

const WindowLayout& PortsDialog::layout() {
    using enum ControlSpec::Kind;
    // clang-format off
    static const WindowLayout table{"PortsDialog", QT_TRANSLATE_NOOP("PortsDialog", "Ports"), {9600, 6240}, {
        {.name = "lblProblem", .kind = Label, .twips = {120, 60, 9360, 252}},
        {.name = "tblPorts", .kind = Table, .twips = {120, 360, 9360, 4680}, .tabIndex = 0},
        {.name = "lblDevice", .kind = Label, .caption = QT_TRANSLATE_NOOP("PortsDialog", "&Device:"),
         .twips = {120, 5190, 720, 252}},
        {.name = "cboDevice", .kind = ComboBox, .twips = {840, 5160, 4560, 312}, .tabIndex = 1},
        {.name = "cmdAssign", .kind = Button, .caption = QT_TRANSLATE_NOOP("PortsDialog", "&Assign"), .twips = {5520, 5130, 1200, 372},
         .tabIndex = 2},
        {.name = "cmdFree", .kind = Button, .caption = QT_TRANSLATE_NOOP("PortsDialog", "&Free"), .twips = {6840, 5130, 1200, 372},
         .tabIndex = 3},
        {.name = "cmdOK", .kind = Button, .caption = QT_TRANSLATE_NOOP("PortsDialog", "OK"), .twips = {6840, 5700, 1200, 372},
         .tabIndex = 4},
        {.name = "cmdCancel", .kind = Button, .caption = QT_TRANSLATE_NOOP("PortsDialog", "Cancel"),
         .twips = {8160, 5700, 1200, 372}, .tabIndex = 5},
    }};
    // clang-format on
    return table;
}

void PortsDialog::buildControls() {
    applyWindowLayout(*this, layout());
    ::buildControls(*this, layout());
    const auto control = [this]<typename T>(T*& member, const char* name) {
        member = requireChild<T>(*this, name);
    };
    control(lblProblem, "lblProblem");
    control(tblPorts, "tblPorts");
    control(lblDevice, "lblDevice");
    control(cboDevice, "cboDevice");
    control(cmdAssign, "cmdAssign");
    control(cmdFree, "cmdFree");
    control(cmdOK, "cmdOK");
    control(cmdCancel, "cmdCancel");

    // The file that cannot be used is said here too; nothing the dialog does overwrites it.
    lblProblem->setText(catalog_.storeProblem());
    lblProblem->setToolTip(catalog_.storeProblem());
    tblPorts->setRowCount(ComPort::kCount);
    tblPorts->setColumnCount(5);
    tblPorts->setHorizontalHeaderLabels(
        {tr("Port"), tr("Device"), tr("Description"), tr("State"), tr("Given")});
    tblPorts->verticalHeader()->hide();
    tblPorts->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblPorts->verticalHeader()->setDefaultSectionSize(tblPorts->fontMetrics().height() + 6);
    tblPorts->setTabKeyNavigation(false); // Tab goes on to the next control
    tblPorts->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblPorts->setSelectionMode(QAbstractItemView::SingleSelection);
    tblPorts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPorts->setWordWrap(false);
    tblPorts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QHeaderView* header = tblPorts->horizontalHeader();
    for (const int column : {PortColumn, StateColumn, GivenColumn})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(DeviceColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(DescriptionColumn, QHeaderView::Stretch);
    tblPorts->setColumnWidth(DeviceColumn, tblPorts->width() / 3);

    // The adapters found, or any device path or network address typed in.
    cboDevice->setEditable(true);
    for (const FoundDevice& device : catalog_.found()) {
        cboDevice->addItem(device.path, device.path);
        cboDevice->setItemData(cboDevice->count() - 1, deviceDescription(device), Qt::ToolTipRole);
    }
    lblDevice->setBuddy(cboDevice);
    cmdOK->setDefault(true);

    connect(cmdAssign, &QPushButton::clicked, this, &PortsDialog::cmdAssign_Click);
    connect(cmdFree, &QPushButton::clicked, this, &PortsDialog::cmdFree_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PortsDialog::fillRow(ComPort port, const PortAddress& address, const QString& given) {
    const QStringList cells{port.label(), address.text(),
                            deviceDescription(detailsOf(catalog_.found(), address)), QString(),
                            given};
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setToolTip(cells[column]);
        tblPorts->setItem(port.number - 1, column, item);
    }
    showState(port);
}

void PortsDialog::showState(ComPort port) {
    const auto changed = changed_.constFind(port);
    QString state;
    if (changed == changed_.constEnd())
        state = probe_.state(port).word();
    else if (!changed->isEmpty())
        state = changedProbe_.state(port).word();
    QTableWidgetItem* item = tblPorts->item(port.number - 1, StateColumn);
    if (!item)
        return;
    item->setText(state);
    item->setToolTip(state);
}

void PortsDialog::probeChanges() {
    PortMap map = PortMap::explicitOnly();
    for (auto it = changed_.constBegin(); it != changed_.constEnd(); ++it)
        map.map(it.key(), *it);
    changedProbe_.start(map, heldKey_);
    for (auto it = changed_.constBegin(); it != changed_.constEnd(); ++it)
        showState(it.key());
}

void PortsDialog::cmdAssign_Click() {
    const int row = tblPorts->currentRow();
    const QString typed = cboDevice->currentText().trimmed();
    if (row < 0 || typed.isEmpty())
        return;
    // What is typed is read here, once; one that is no address is said and not taken.
    QString error;
    const auto address = PortAddress::parse(typed, &error);
    if (!address) {
        lblProblem->setText(error);
        lblProblem->setToolTip(error);
        return;
    }
    lblProblem->setText(catalog_.storeProblem());
    lblProblem->setToolTip(catalog_.storeProblem());
    // One number per device: where it stood before is free now.
    for (int other = 0; other < ComPort::kCount; ++other) {
        if (other != row && tblPorts->item(other, DeviceColumn)->text() == address->text()) {
            changed_.insert(ComPort{other + 1}, {});
            fillRow(ComPort{other + 1}, {}, {});
        }
    }
    const ComPort port{row + 1};
    changes_.append(PortCatalog::Change{port, *address});
    changed_.insert(port, *address);
    fillRow(port, *address, tr("remembered"));
    probeChanges();
}

void PortsDialog::cmdFree_Click() {
    const int row = tblPorts->currentRow();
    if (row < 0)
        return;
    const ComPort port{row + 1};
    changes_.append(PortCatalog::Change{port, {}});
    changed_.insert(port, {});
    fillRow(port, {}, {});
}
