#include "app/ports_dialog.h"

#include <QHeaderView>

PortsDialog::PortsDialog(const PortCatalog& catalog, std::function<QString(const QString&)> stateOf,
                         QWidget* parent)
    : QDialog(parent), catalog_(catalog), stateOf_(std::move(stateOf)) {
    buildControls();
    for (int n = 1; n <= PortNumbering::kPorts; ++n) {
        const NumberedPort& port = catalog_.numbering().port(n);
        fillRow(n, port.device, originName(port.origin));
    }
    tblPorts->selectRow(0);
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
        member = findChild<T*>(QLatin1String(name));
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
    tblPorts->setRowCount(PortNumbering::kPorts);
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

    // The adapters found, or any device path typed in.
    cboDevice->setEditable(true);
    for (const FoundDevice& device : catalog_.found())
        cboDevice->addItem(device.path, device.path);
    for (int k = 0; k < catalog_.found().size(); ++k)
        cboDevice->setItemData(k, deviceDescription(catalog_.found()[k]), Qt::ToolTipRole);
    lblDevice->setBuddy(cboDevice);
    cmdOK->setDefault(true);

    connect(cmdAssign, &QPushButton::clicked, this, &PortsDialog::cmdAssign_Click);
    connect(cmdFree, &QPushButton::clicked, this, &PortsDialog::cmdFree_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PortsDialog::fillRow(int port, const QString& device, const QString& given) {
    FoundDevice details;
    for (const FoundDevice& found : catalog_.found()) {
        if (!device.isEmpty() &&
            (device == found.path || device == found.byId || device == found.byPath))
            details = found;
    }
    const QString state = device.isEmpty() ? QString() : stateOf_(device);
    const QStringList cells{QStringLiteral("COM%1").arg(port), device, deviceDescription(details),
                            state, given};
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setToolTip(cells[column]);
        tblPorts->setItem(port - 1, column, item);
    }
}

void PortsDialog::cmdAssign_Click() {
    const int row = tblPorts->currentRow();
    const QString device = cboDevice->currentText().trimmed();
    if (row < 0 || device.isEmpty())
        return;
    // One number per device: where it stood before is free now.
    for (int other = 0; other < PortNumbering::kPorts; ++other) {
        if (other != row && tblPorts->item(other, DeviceColumn)->text() == device)
            fillRow(other + 1, {}, {});
    }
    changes_.append(PortCatalog::Change{row + 1, device});
    fillRow(row + 1, device, QStringLiteral("remembered"));
}

void PortsDialog::cmdFree_Click() {
    const int row = tblPorts->currentRow();
    if (row < 0)
        return;
    changes_.append(PortCatalog::Change{row + 1, QString()});
    fillRow(row + 1, {}, {});
}
