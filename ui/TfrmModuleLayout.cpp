// The window's controls as laid out at 96 dpi: positions, contents at start, looks, tab order
// and the events bound to their handlers.
#include <QStyle>

#include "ControlLook.h"
#include "LineSetting.h"
#include "ReaderProtocol.h"
#include "ScrollBarKeys.h"
#include "TextTable.h"
#include "TfrmModule.h"

namespace {

template <typename Control>
Control* Place(Control* control, const char* name, int x, int y, int w, int h) {
    control->setObjectName(QLatin1String(name));
    control->setGeometry(x, y, w, h);
    return control;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int x, int y, int w, int h,
                        const QString& caption) {
    return Place(new QPushButton(caption, parent), name, x, y, w, h);
}

TPanel* MakeHighlightPanel(QWidget* parent, const char* name, int x, int y, int w, int h,
                           const QString& caption) {
    TPanel* panel = Place(new TPanel(parent), name, x, y, w, h);
    SetHighlightLook(panel);
    panel->setCaption(caption);
    return panel;
}

QScrollBar* MakeScrollBar(QWidget* parent, const char* name, int x, int y, int w, int h, int min,
                          int max, int position) {
    QScrollBar* bar = Place(new QScrollBar(Qt::Horizontal, parent), name, x, y, w, h);
    bar->setRange(min, max);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setValue(position);
    bar->setFocusPolicy(Qt::StrongFocus);  // a tab stop, moved with the arrow keys
    return bar;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, int w, int h,
                  const QString& caption, Qt::Alignment alignment) {
    QLabel* label = Place(new QLabel(caption, parent), name, x, y, w, h);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setFont(SansFont(13, false));
    return label;
}

QComboBox* MakeList(QWidget* parent, const char* name, int x, int y, int w, int h,
                    const QStringList& items, int selected) {
    QComboBox* list = Place(new QComboBox(parent), name, x, y, w, h);
    list->addItems(items);
    list->setCurrentIndex(selected);
    SetHighlightColours(list);
    return list;
}

// The output formats' list items in the order of their indexes: "RS485 24 bits", ...
QStringList FormatCaptions(const char* output, const int* bits, int count) {
    QStringList captions;
    for (int i = 0; i < count; ++i)
        captions << QStringLiteral("%1 %2 bits").arg(QLatin1String(output)).arg(bits[i]);
    return captions;
}

}  // namespace

void TfrmModule::CreateControls() {
    setObjectName(QStringLiteral("frmModule"));
    setFont(SansFont(16, true));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    setPalette(colours);
    setAutoFillBackground(true);
    setFixedSize(656, 541);
    setWindowTitle(QString::fromUtf8(TextTable[RowWindowCaption][0]));

    pnMsg = Place(new TPanel(this), "pnMsg", 8, 4, 345, 40);
    pnMsg->setBorder(TPanel::Border::SingleLowered);
    pnMsg->setColors(palette().color(QPalette::Highlight), ColorWhite);
    pnMsg->setFont(SansFont(16, true));
    pnMsg->setCaption(QString::fromUtf8(TextTable[RowStartScanReader][0]));
    shComm = Place(new TShape(TShape::Kind::Circle, ColorRed, pnMsg), "shComm", 310, 8, 23, 20);

    pnSerial = MakeHighlightPanel(this, "pnSerial", 8, 48, 169, 28, "S/N : ________");
    pnVersion = MakeHighlightPanel(this, "pnVersion", 184, 48, 169, 28, "VER : __.__-__");
    btnScan = MakeButton(this, "btnScan", 8, 78, 345, 43, "Scan Reader");
    btnScan->setDefault(true);

    lblID = MakeLabel(this, "lblID", 8, 133, 49, 22, "ID:", Qt::AlignRight);
    pnID = MakeHighlightPanel(this, "pnID", 64, 130, 33, 25, "__");
    sbID = MakeScrollBar(this, "sbID", 104, 131, 249, 23, ReaderNumberMin, ReaderNumberMax,
                         FactoryReaderNumber);
    btnID = MakeButton(this, "btnID", 8, 158, 345, 43, "Set Reader ID");

    lblBaudRate = MakeLabel(this, "lblBaudRate", 8, 213, 153, 22, "BaudRate:", Qt::AlignRight);
    QStringList lineSettings;
    for (const char* setting : LineSettingTable) lineSettings << QLatin1String(setting);
    cmbBaudRate = MakeList(this, "cmbBaudRate", 168, 208, 161, 28, lineSettings, FactoryLineIndex);
    SetItemHeight(cmbBaudRate, 20);
    chkLock = Place(new QCheckBox(this), "chkLock", 336, 212, 17, 17);
    chkLock->setChecked(true);
    btnBaudRate = MakeButton(this, "btnBaudRate", 8, 238, 345, 43, "Set Reader Baud Rate");

    pnSameCard = MakeHighlightPanel(this, "pnSameCard", 8, 290, 57, 25, "0010");
    sbSameCard =
        MakeScrollBar(this, "sbSameCard", 64, 291, 113, 23, 0, SameCardMax, FactorySameCardSeconds);
    lblSameCard = MakeLabel(this, "lblSameCard", 184, 293, 33, 22, "Sec", Qt::AlignLeft);
    gbNoNc = Place(new QGroupBox(this), "gbNoNc", 224, 280, 129, 33);
    rbNO = Place(new QRadioButton("NO", gbNoNc), "rbNO", 8, 12, 41, 17);
    rbNO->setFont(SansFont(11, false));
    rbNO->setChecked(FactoryInputNormallyOpen);
    rbNC = Place(new QRadioButton("NC", gbNoNc), "rbNC", 64, 12, 41, 17);
    rbNC->setFont(SansFont(11, false));
    rbNC->setChecked(!FactoryInputNormallyOpen);
    btnSameCard = MakeButton(this, "btnSameCard", 8, 318, 185, 43, "Set Same Card");
    btnNoNc = MakeButton(this, "btnNoNc", 200, 318, 153, 43, "Set DI NO/NC");

    cmbWiegand = MakeList(this, "cmbWiegand", 8, 368, 169, 28,
                          FormatCaptions("Wiegand", WiegandFormatBits, WiegandFormatCount),
                          FactoryWiegandIndex);
    cmbRS485 =
        MakeList(this, "cmbRS485", 184, 368, 169, 28,
                 FormatCaptions("RS485", Rs485FormatBits, Rs485FormatCount), FactoryRs485Index);
    btnMode = MakeButton(this, "btnMode", 8, 398, 345, 43, "Set Reader Mode");

    shCard =
        Place(new TShape(TShape::Kind::RoundRect, ColorWhite, this), "shCard", 10, 451, 29, 20);
    pnCardID = MakeHighlightPanel(this, "pnCardID", 44, 448, 311, 28, "TAG ID");
    btnReadCard = MakeButton(this, "btnReadCard", 8, 480, 345, 33, "Read TAG");

    gbDefault = Place(new QGroupBox("Factory Setting", this), "gbDefault", 360, 4, 289, 437);
    pnRSSI = MakeHighlightPanel(gbDefault, "pnRSSI", 8, 26, 41, 25, "0");
    sbRSSI = MakeScrollBar(gbDefault, "sbRSSI", 48, 27, 233, 23, 0, RssiLevelMax, FactoryRssiLevel);
    btnRSSI = MakeButton(gbDefault, "btnRSSI", 8, 54, 273, 43, "Set RSSI Level");
    btnReset = MakeButton(gbDefault, "btnReset", 8, 272, 273, 65, "Reader Reset");
    btnFactory = MakeButton(gbDefault, "btnFactory", 8, 352, 273, 73, "Factory Default");
    btnFactory->setFont(SansFont(16, true));

    btnEng = MakeButton(this, "btnEng", 359, 448, 90, 24, "English");
    btnEng->setFont(SansFont(13, false));
    QPalette red = btnEng->palette();
    // Red while it can be clicked; greyed like the others while tags are read.
    red.setColor(QPalette::Active, QPalette::ButtonText, ColorRed);
    red.setColor(QPalette::Inactive, QPalette::ButtonText, ColorRed);
    btnEng->setPalette(red);
    const qreal ratio = devicePixelRatioF();
    btnGB = MakeButton(this, "btnGB", 460, 448, 89, 24, QString());
    btnGB->setIcon(WordPicture(QStringLiteral("簡体"), ratio));
    btnGB->setIconSize(QSize(34, 16));
    btnBIG5 = MakeButton(this, "btnBIG5", 560, 448, 89, 24, QString());
    btnBIG5->setIcon(WordPicture(QStringLiteral("繁體"), ratio));
    btnBIG5->setIconSize(QSize(34, 16));
    btnExit = MakeButton(this, "btnExit", 360, 480, 289, 33, "Exit");
    btnExit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton, nullptr, btnExit));

    pnTAVIN = Place(new TPanel(this), "pnTAVIN", 8, 517, 641, 21);
    pnTAVIN->setColors(QColor(0, 0, 128), ColorWhite);
    pnTAVIN->setFont(SansFont(11, false));
    pnTAVIN->setCaption(QString::fromUtf8(TextTable[RowCompanyLine][0]));

    // Lies right of the client area: its controls exist but the user cannot reach them.
    GroupBox1 = Place(new QGroupBox("GroupBox1", this), "GroupBox1", 688, 16, 353, 505);
    pnAddr = MakeHighlightPanel(GroupBox1, "pnAddr", 8, 26, 41, 25, "049");
    sbAddr =
        MakeScrollBar(GroupBox1, "sbAddr", 48, 27, 233, 23, 0, RadioValueMax, FactoryRadioAddress);
    btnAddr = MakeButton(GroupBox1, "btnAddr", 8, 54, 273, 43, "Set Address");
    btnAddr->setEnabled(false);
    pnFreq = MakeHighlightPanel(GroupBox1, "pnFreq", 8, 106, 41, 25, "059");
    sbFreq = MakeScrollBar(GroupBox1, "sbFreq", 48, 107, 233, 23, 0, RadioValueMax,
                           FactoryRadioFrequency);
    btnFreq = MakeButton(GroupBox1, "btnFreq", 8, 134, 273, 43, "Set Freq");
    btnFreq->setEnabled(false);
    pnChannel = MakeHighlightPanel(GroupBox1, "pnChannel", 8, 186, 41, 25, "000");
    sbChannel = MakeScrollBar(GroupBox1, "sbChannel", 48, 187, 233, 23, 0, RadioValueMax,
                              FactoryRadioChannel);
    btnChannel = MakeButton(GroupBox1, "btnChannel", 8, 214, 273, 43, "Set Channel");
    btnChannel->setEnabled(false);
    // Out of the tab chain too: Tab must never move the focus onto a control out of sight.
    for (QWidget* control : GroupBox1->findChildren<QWidget*>())
        control->setFocusPolicy(Qt::NoFocus);

    tmrBusy = new QTimer(this);
    tmrBusy->setObjectName(QStringLiteral("tmrBusy"));
    tmrBusy->setInterval(200);
    tmrCard = new QTimer(this);
    tmrCard->setObjectName(QStringLiteral("tmrCard"));
    tmrCard->setInterval(1000);

    auto* keys = new ScrollBarKeys(this);
    for (QScrollBar* bar : {sbID, sbSameCard, sbRSSI, sbAddr, sbFreq, sbChannel}) keys->Watch(bar);

    SetTabOrder();
    BindEvents();
    btnScan->setFocus();
}

// Tab walks the window's controls in their order; a group box takes its place with its own
// controls in their order. Panels, labels and group boxes themselves take no focus.
void TfrmModule::SetTabOrder() {
    const QList<QWidget*> order{
        btnScan,  sbID,    btnID,   cmbBaudRate, btnBaudRate, btnReadCard, btnExit,    btnFactory,
        btnReset, btnRSSI, sbRSSI,  btnEng,      btnGB,       btnBIG5,     chkLock,    btnSameCard,
        btnNoNc,  rbNO,    rbNC,    cmbWiegand,  cmbRS485,    btnMode,     sbSameCard, sbAddr,
        btnAddr,  sbFreq,  btnFreq, sbChannel,   btnChannel,
    };
    for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TfrmModule::BindEvents() {
    const std::pair<QPushButton*, void (TfrmModule::*)()> clicks[] = {
        {btnScan, &TfrmModule::btnScanClick},
        {btnReadCard, &TfrmModule::btnReadCardClick},
        {btnID, &TfrmModule::btnIDClick},
        {btnBaudRate, &TfrmModule::btnBaudRateClick},
        {btnSameCard, &TfrmModule::btnSameCardClick},
        {btnNoNc, &TfrmModule::btnNoNcClick},
        {btnMode, &TfrmModule::btnModeClick},
        {btnAddr, &TfrmModule::btnAddrClick},
        {btnFreq, &TfrmModule::btnFreqClick},
        {btnChannel, &TfrmModule::btnChannelClick},
        {btnRSSI, &TfrmModule::btnRSSIClick},
        {btnFactory, &TfrmModule::btnFactoryClick},
        {btnReset, &TfrmModule::btnResetClick},
        {btnEng, &TfrmModule::btnEngClick},
        {btnGB, &TfrmModule::btnGBClick},
        {btnBIG5, &TfrmModule::btnBIG5Click},
        {btnExit, &TfrmModule::btnExitClick},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, handler);

    // valueChanged fires only when the position really changes, as a scroll bar's change
    // event does.
    const std::pair<QScrollBar*, void (TfrmModule::*)()> changes[] = {
        {sbID, &TfrmModule::sbIDChange},           {sbSameCard, &TfrmModule::sbSameCardChange},
        {sbAddr, &TfrmModule::sbAddrChange},       {sbFreq, &TfrmModule::sbFreqChange},
        {sbChannel, &TfrmModule::sbChannelChange}, {sbRSSI, &TfrmModule::sbRSSIChange},
    };
    for (const auto& [bar, handler] : changes)
        connect(bar, &QScrollBar::valueChanged, this, handler);

    connect(tmrBusy, &QTimer::timeout, this, &TfrmModule::tmrBusyTimer);
    connect(tmrCard, &QTimer::timeout, this, &TfrmModule::tmrCardTimer);
}
